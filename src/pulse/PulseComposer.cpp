#include "pulse/PulseComposer.h"

#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "host/ExchangeFile.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseFiles.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"

namespace tw {

std::string PulseTrainTitle(const LaunchState& session, int channel) {
    std::string name = TrainOrigin(session, channel);
    if (name.empty()) {
        name = "Untitled";
        if (ExchangeFile::Instrument(session).ChannelsAsStored() > 1)
            name += strprintf("-Ch%d", channel + 1);
    }
    return session.appName + " -> " + name;
}

namespace {
// Where the host left the user; a number out of range keeps `fallback`.
int storedChannel(const LaunchState& session, int fallback) {
    return ExchangeFile::Active(session).Channel(ExchangeFile::Instrument(session).Channels(),
                                                 fallback);
}
} // namespace

PulseComposer::PulseComposer(const LaunchState& session, Prompter& prompts)
    : Composer(session), limits(LoadPulseLimits(session)), editor(limits, *this, session, prompts),
      activeChannel_(storedChannel(session, 0)) {
    view.Load(session, activeChannel_);
    editor.OpenSection();
    std::string rise;
    ProfileRecord(session, kPulseSettings, "RiseOnStrt", rise, 260, session.generalIni, true);
    editorVisible = rise != "Hide";
}

PulseComposer::~PulseComposer() {
    Close();
}

void PulseComposer::Close() {
    if (closed_)
        return;
    closed_ = true;
    view.Store(session(), activeChannel_);
}

void PulseComposer::RereadChannel() {
    activeChannel_ = storedChannel(session(), activeChannel_);
}

std::string PulseComposer::windowTitle(const std::string&) const {
    return PulseTrainTitle(session(), activeChannel_);
}

std::string PulseComposer::horizontalUnit() const {
    return TimeUnitLabel(view.timeUnit);
}

void PulseComposer::trainChanged() {
    view.Reload(session(), activeChannel_);
    listener().sectionListChanged();
    listener().editorChanged();
    listener().repaint();
}

void PulseComposer::FullTrain() {
    view.viewMode = 0;
    editor.OpenSection();
    trainChanged();
}

void PulseComposer::ChooseSection(int index) {
    if (index < 0 || index >= view.sectionCount)
        return;
    view.viewMode = 1;
    if (!editor.CheckComplete()) {
        listener().repaint();
        return;
    }
    if (index != editor.activeSection())
        WriteTrainRoot(session(), activeChannel_, "activePls", strprintf("%d", index));
    editor.selectedRow = 0;
    editor.OpenSection();
    ShowEditor(true);
    trainChanged();
}

void PulseComposer::ShowEditor(bool show) {
    editorVisible = show;
    WriteGeneralSetting(session(), "RiseOnStrt", show ? "Show" : "Hide", kPulseSettings);
    listener().editorShown(show);
    listener().repaint();
}

void PulseComposer::SelectRow(int row) {
    editor.selectedRow = row;
    listener().repaint();
}

int PulseComposer::Download() {
    DownloadReport report;
    int code = DownloadPulseTrainCommand(editor, listener(), &report);
    if (!report.summary.segments.empty())
        compiledSegments = static_cast<int>(LeadingNumber(report.summary.segments, -1));
    listener().repaint();
    return code;
}

bool PulseComposer::Save() {
    return SaveTrain(session(), activeChannel_);
}

bool PulseComposer::SaveAs(const std::string& name) {
    bool saved = SaveTrainAs(editor, name);
    if (saved)
        listener().titleChanged();
    return saved;
}

bool PulseComposer::Open(const std::string& name) {
    bool loaded = editor.LoadTrain(name);
    listener().titleChanged();
    if (loaded)
        listener().trainOpened(name);
    return loaded;
}

void PulseComposer::ToggleSummary() {
    ToggleSummaryShown(session());
}

void PulseComposer::OptionsChanged() {
    editor.OpenSection();
    trainChanged();
}

bool PulseComposer::Execute(int id) {
    if (id >= kCmdSection1 && id <= kCmdSection10) {
        ChooseSection(id - kCmdSection1);
        return true;
    }
    switch (id) {
    case kCmdDownload:
        Download();
        return true;
    case kCmdPulseEditor:
        ShowEditor(true);
        return true;
    case kCmdAppendSection:
        editor.AppendSection();
        return true;
    case kCmdInsertSection:
        editor.InsertSection();
        return true;
    case kCmdDeleteSection:
        editor.DeleteSection();
        return true;
    case kCmdRemoveAllSections:
        editor.RemoveAllSections();
        return true;
    case kCmdUndoTrain:
        editor.UndoTrain();
        return true;
    case kCmdFullTrain:
        FullTrain();
        return true;
    case kCmdShowPulseSummary:
        ToggleSummary();
        return true;
    default:
        return false;
    }
}

bool PulseComposer::IsEnabled(int id) const {
    if (id >= kCmdSection1 && id <= kCmdSection10)
        return id - kCmdSection1 < view.sectionCount;
    if (id == kCmdFullTrain)
        return view.viewMode == 1;
    if (id == kCmdUndoTrain)
        return editor.CanUndoTrain();
    return true;
}

bool PulseComposer::IsChecked(int id) const {
    if (id >= kCmdSection1 && id <= kCmdSection10)
        return id - kCmdSection1 == view.activeSection;
    if (id == kCmdShowPulseSummary)
        return !SummaryHidden(session());
    return false;
}

TrainTrace PulseComposer::Trace() const {
    return TracePulseTrain(ReadTrain(session(), activeChannel_),
                           {view.viewMode, editorVisible, editor.selectedRow});
}

} // namespace tw
