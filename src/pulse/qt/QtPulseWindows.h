#pragma once
#include "pulse/PulseComposer.h"
#include "pulse/qt/DownloadSummaryDialog.h"
#include "pulse/qt/PulseEditorDialog.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace tw {

// Ties the composer to its Qt windows: owns the modeless editor dialog, answers the download
// summary with its dialog, and hands repaints, section-list and title changes to the main frame.
class QtPulseWindows : public PulseComposerListener {
  public:
    struct FrameHooks {
        std::function<void()> repaint;                       // the view draws the train again
        std::function<void()> sectionListChanged;            // the drop-down list of sections
        std::function<void()> titleChanged;                  // the window title
        std::function<void(const std::string&)> trainOpened; // the recent-file list
    };
    QtPulseWindows(PulseComposer& composer, QWidget* frame, FrameHooks hooks);
    ~QtPulseWindows() override;

    void repaint() override;
    void sectionListChanged() override;
    void editorChanged() override;
    void editorShown(bool shown) override;
    void titleChanged() override;
    void trainOpened(const std::string& path) override;
    SummaryChoice askSummary(const DownloadSummary& summary, const std::string& attention) override;
    void editorOpening(int rowsRead, int rows) override;

  private:
    PulseComposer& composer_;
    FrameHooks hooks_;
    QtSummaryAsker summary_;
    QPointer<PulseEditorDialog> editor_; // a child of the frame, which may delete it first
};

// Runs a pulse-train menu command from the main frame: Open, Save, Save As and Options with
// their dialogs here, the rest through the composer. False when `id` is not one of its commands.
bool RunPulseCommand(PulseComposer& composer, int id, QWidget* frame);

} // namespace tw
