#include "frame/QtWaveFrame.h"

#include "app/Commands.h"
#include "app/qt/AppProfile.h"
#include "app/qt/ProgressDialog.h"
#include "auxiliary/qt/AdditionalBitsDialog.h"
#include "document/FileFilters.h"
#include "document/SegmentTables.h"
#include "document/qt/DownloadOptionsDialog.h"
#include "frame/DocumentCommands.h"
#include "frame/FrameBars.h"
#include "frame/MainFrame.h"
#include "frame/RecentFileMenu.h"
#include "view/qt/WeditVw.h"

#include <QTimer>

namespace tw {

namespace {

// Show Peaks lives in the application's own profile: the next run draws as this one ended.
const QString kShowPeaksKey = "Settings/ShowPeaks";

bool StoredShowPeaks() {
    return OpenAppProfile()->value(kShowPeaksKey, 0).toInt() != 0;
}

void StoreShowPeaks(bool show) {
    OpenAppProfile()->setValue(kShowPeaksKey, show ? 1 : 0);
}

} // namespace

QtWaveFrame::QtWaveFrame(MainFrame& frame, Composer& composer)
    : frame_(frame), composer_(composer), doc_(std::make_unique<WeDoc>(composer, prompter())),
      view_(new WeditVw(composer, *doc_, &frame)) {
    frame_.setView(*view_, view_);
    doc_->setListener(this);
    LoadActiveSegment(*doc_);
    addCommands();
    InstallDocumentCommands(frame_, *doc_);
    recent_ = std::make_unique<RecentFileMenu>(
        frame_, frame_.profile().recentFilesSection(), [this](const std::string& path) {
            DialogChoice choice = ResolveTypedName(composer_.session(), path, -1, DialogKind::Open,
                                                   CurrentFormatTable(composer_.session()));
            Show(prompter(), choice.refused);
            OpenWaveFile(frame_, *doc_, choice);
        });
    closeIfSetUpFailed();
    QObject::connect(&frame_, &MainFrame::hostReread, &frame_,
                     [this] { LoadActiveSegment(*doc_); });
}

QtWaveFrame::~QtWaveFrame() {
    delete view_; // it draws the document, which goes with this part
    doc_->setListener(nullptr);
}

// The FM limits could not be met (the user was told): the application ends once the event
// loop runs.
void QtWaveFrame::closeIfSetUpFailed() {
    if (composer_.setUpFailed())
        QTimer::singleShot(0, &frame_, [this] { frame_.close(); });
}

void QtWaveFrame::addCommands() {
    WeditVw* v = view_;
    auto allowed = [v] { return v->tools().toolsAllowed(); };
    frame_.setCommand(kCmdAutoline,
                      {[v] { v->startAutoline(); }, [v] { return v->tools().CanStartAutoline(); },
                       [v] { return v->tools().mode() == DrawingTools::Mode::Autoline; }});
    frame_.setCommand(kCmdSketch,
                      {[v] { v->startSketch(); }, [v] { return v->tools().CanStartSketch(); },
                       [v] { return v->tools().mode() == DrawingTools::Mode::Sketch; }});
    frame_.setCommand(kCmdFilter, {[v] { v->filter(); }, allowed, {}});
    frame_.setCommand(kCmdSmooth, {[v] { v->smooth(); }, allowed, {}});
    frame_.setCommand(kCmdInvert, {[v] { v->invert(); }, allowed, {}});
    frame_.setCommand(kCmdUnmark, {[v] { v->unmark(); }, allowed, {}});
    frame_.setCommand(kCmdZoomIn, {[v] { v->zoomIn(); }, [v] { return v->canZoomIn(); }, {}});
    frame_.setCommand(kCmdZoomOut, {[v] { v->zoomOut(); }, [v] { return v->canZoomOut(); }, {}});
    frame_.setCommand(kCmdTrimLeft, {[v] { v->trimLeft(); }, [v] { return v->canTrimLeft(); }, {}});
    frame_.setCommand(kCmdTrimRight,
                      {[v] { v->trimRight(); }, [v] { return v->canTrimRight(); }, {}});
    // Each column shows one sample either way: the flag is only the command's check mark.
    auto coarseFine = std::make_shared<bool>(false);
    frame_.setCommand(kCmdCoarseFine, {[v, coarseFine] {
                                           *coarseFine = !*coarseFine;
                                           v->update();
                                       },
                                       {},
                                       [coarseFine] { return *coarseFine; }});
    v->setShowPeaks(StoredShowPeaks());
    frame_.setCommand(kCmdShowPeaks, {[v] {
                                          v->setShowPeaks(!v->showPeaks());
                                          StoreShowPeaks(v->showPeaks());
                                      },
                                      {},
                                      [v] { return v->showPeaks(); }});
    WeDoc* doc = doc_.get();
    frame_.setCommand(kCmdUndo, {[doc] { doc->Undo(); },
                                 [doc, v] { return doc->CanUndo() && v->tools().toolsAllowed(); },
                                 {}});
    frame_.setCommand(kCmdClearMemory, {[doc] { doc->ClearMemory(); }, {}, {}});
    for (int i = 0; i < 4; ++i)
        frame_.setCommand(kCmdChannel1 + i, {[doc, i] { doc->SelectChannel(i); },
                                             {},
                                             [doc, i] { return doc->activeChannel() == i; }});
    frame_.setCommand(kCmdAdditionalBits, {[this, doc] {
                                               ShowAdditionalBitsDialog(&frame_, doc->session(),
                                                                        doc->segTableSection(),
                                                                        doc->activeSegment());
                                           },
                                           {},
                                           {}});
}

void QtWaveFrame::rereadFmSettings() {
    if (composer_.RereadSettings(*doc_))
        view_->update();
    closeIfSetUpFailed();
}

void QtWaveFrame::setBars(FrameBars* bars) {
    bars_ = bars;
    if (!bars_)
        return;
    bars_->applyDeviation = [this](const QString& text) {
        composer_.TakeDeviation(*doc_, text.toStdString());
    };
    bars_->applyWavelength = [this](const QString& text) {
        ProgressDialog progress(&frame_, "Changing the wavelength...");
        doc_->SetWavelength(text.toLong(), progress);
        wavelengthShown();
    };
    bars_->applySegment = [this](const QString& text) {
        int segment = text.toInt();
        CheckSegmentNumber(*doc_, segment);
        segmentShown();
    };
    wavelengthShown();
    segmentShown();
    deviationShown();
}

void QtWaveFrame::repaint(std::size_t, std::size_t) {
    view_->update();
    if (bars_)
        bars_->showMarkerCount();
}

void QtWaveFrame::rangeReset() {
    view_->resetRange();
}

void QtWaveFrame::wavelengthShown() {
    if (bars_)
        bars_->showWavelength(doc_->wavelength());
}

void QtWaveFrame::segmentShown() {
    if (bars_)
        bars_->showSegment(doc_->activeSegment());
}

void QtWaveFrame::activeChanged() {
    segmentShown();
}

void QtWaveFrame::deviationShown() {
    if (bars_)
        bars_->showDeviation(QString::fromStdString(composer_.DeviationText()));
}

void QtWaveFrame::titleSet(const std::string& title) {
    frame_.setWindowTitle(QString::fromStdString(title));
}

void QtWaveFrame::pathNameChanged(const std::string& path, bool addRecent) {
    if (addRecent && recent_)
        recent_->add(path);
}

std::optional<int> QtWaveFrame::askTraceType() {
    QtTraceTypeAsker asker;
    asker.parent = &frame_;
    return asker.askTraceType();
}

} // namespace tw
