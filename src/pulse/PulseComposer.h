#pragma once
#include "app/Commands.h"
#include "document/Composer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseTrace.h"
#include "pulse/PulseViewState.h"

#include <string>

namespace tw {

// What the composer asks of the windows around it, the download summary among it.
struct PulseComposerListener : SummaryAsker {
    virtual void repaint() {}            // the view draws the train again
    virtual void sectionListChanged() {} // the section drop-down list is rebuilt
    virtual void editorChanged() {}      // the editor dialog reloads its table and texts
    virtual void editorShown(bool) {}    // the editor dialog is shown or hidden
    virtual void titleChanged() {}       // the main window rebuilds its title
    virtual void trainOpened(const std::string& /*path*/) {} // Open read a train file
    // The editor reads a section, rowsRead of rows so far (its progress bar).
    virtual void editorOpening(int /*rowsRead*/, int /*rows*/) {}
    ~PulseComposerListener() override = default;
};

// The pulse-train composer's title: appName + " -> " + the origin file of the channel's train,
// "Untitled" (with the channel when the instrument has more than one) while it has none.
std::string PulseTrainTitle(const LaunchState& session, int channel);

// The pulse-train composer without its windows: the instrument limits, the view's train state
// and the editor model, and the handlers of the composer's menu commands. It has no waveform
// document: the view draws its train instead.
class PulseComposer : public PulseEditorHost, public Composer {
  public:
    // Loads the limits, the active channel, the view state (a fresh train if none) and the editor,
    // whose refusals and questions go to prompts.
    PulseComposer(const LaunchState& session, Prompter& prompts);
    ~PulseComposer() override;
    PulseComposer(const PulseComposer&) = delete;
    PulseComposer& operator=(const PulseComposer&) = delete;

    void setListener(PulseComposerListener* listener) { listener_ = listener; }

    // The channel whose train is composed (0-based): the one the host left in the exchange file
    // at the start, and again at its re-read event.
    int activeChannel() const override { return activeChannel_; }
    void RereadChannel();

    // Runs a command that needs no dialog; false when `id` is not one of them.
    bool Execute(int id);
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;

    void FullTrain();
    void ChooseSection(int index);
    void ShowEditor(bool show); // records "RiseOnStrt"
    void SelectRow(int row);    // the editor's selection, marked in the view
    using Composer::Download;
    int Download();
    // Populated segments of the last download's compilation; -1 before one.
    int compiledSegments = -1;
    // Save: false when the train has no name yet and Save As must ask for one.
    bool Save();
    bool SaveAs(const std::string& name);
    bool Open(const std::string& name);
    void ToggleSummary();
    void OptionsChanged(); // after the Options dialog stored new settings
    void Close();          // the view closes: stores the view mode, deletes the undo files

    // What the view draws.
    TrainTrace Trace() const;
    std::vector<std::string> SectionList() const { return view.SectionList(); }

    // PulseEditorHost
    bool fullTrainView() const override { return view.viewMode == 0; }
    void trainChanged() override;
    void sectionReading(int rowsRead, int rows) override {
        listener().editorOpening(rowsRead, rows);
    }

    // Composer
    long closedCode() const override { return 16; }
    HostEventCodes hostEvents() const override { return {17, 6}; }
    std::string windowTitle(const std::string& /*documentPath*/) const override;
    bool hasDocument() const override { return false; }
    std::string horizontalUnit() const override; // the design time unit
    std::string verticalUnit() const override { return "V"; }

    PulseLimits limits;
    PulseViewState view;
    PulseEditor editor;
    bool editorVisible = true;

  private:
    PulseComposerListener* listener_ = nullptr;
    PulseComposerListener silent_;
    PulseComposerListener& listener() { return listener_ ? *listener_ : silent_; }
    int activeChannel_ = 0;
    bool closed_ = false;
};

} // namespace tw
