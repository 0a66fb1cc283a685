#include "view/QtFrameBars.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "view/Commands.h"
#include "view/MainFrame.h"

#include <QAction>
#include <QStyle>
#include <QToolBar>

namespace tw {

namespace {

void SetStandardIcon(MainFrame& frame, int id, QStyle::StandardPixmap pixmap) {
    QAction* a = frame.action(id);
    if (a->icon().isNull())
        a->setIcon(frame.style()->standardIcon(pixmap));
}

} // namespace

QtFrameBars::QtFrameBars(MainFrame& frame) : frame_(frame), flags_(LoadBarFlags()) {
    const int composer = launch().composerId;
    SetStandardIcon(frame, kCmdNew, QStyle::SP_FileIcon);
    SetStandardIcon(frame, kCmdOpen, QStyle::SP_DialogOpenButton);
    SetStandardIcon(frame, kCmdSave, QStyle::SP_DialogSaveButton);
    SetStandardIcon(frame, kCmdSaveAs, QStyle::SP_DriveFDIcon);
    SetStandardIcon(frame, kCmdPrint, QStyle::SP_FileDialogDetailedView);
    SetStandardIcon(frame, kCmdUndo, QStyle::SP_ArrowBack);
    SetStandardIcon(frame, kCmdDownload, QStyle::SP_ArrowDown);
    SetStandardIcon(frame, kCmdClearMemory, QStyle::SP_TrashIcon);

    std::vector<int> fileIds{kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdPrint};
    if (composer == kPulseComposer)
        fileIds.push_back(kCmdPulseEditor);
    file_ = addBar("File Operation Bar", fileIds);
    if (composer != kPulseComposer)
        waveEdit_ = addBar("Wave Edit Bar", {kCmdAutoline, kCmdSketch, kCmdFilter, kCmdSmooth,
                                             kCmdInvert, kCmdUnmark, kCmdUndo, kCmdZoomIn,
                                             kCmdZoomOut, kCmdTrimLeft, kCmdTrimRight});
    // The parameter fields come with the document; the band is here so that it keeps its place.
    parameter_ =
        addBar(composer == kPulseComposer ? "Pulse Parameter Bar" : "Wave Parameter Bar", {});
    std::vector<int> control{kCmdDownload,     kCmdClearMemory,  kCmdChannel1,
                             kCmdChannel1 + 1, kCmdChannel1 + 2, kCmdChannel4};
    control.resize(std::size_t(
        InstrumentButtonCount(composer, ProfileNumber("Channels", 0, "Instrument", 1))));
    instrument_ = addBar("Instrument Control Bar", control);

    toggle(kCmdFileBar, &BarFlags::file);
    toggle(kCmdWaveEditBar, &BarFlags::waveEdit);
    toggle(kCmdParameterBar, &BarFlags::parameter);
    toggle(kCmdInstrumentBar, &BarFlags::instrument);
    if (composer == kFmComposer)
        toggle(kCmdMarkerBar, &BarFlags::marker);
    apply();
}

QtFrameBars::~QtFrameBars() {
    StoreBarFlags(flags_, launch().composerId);
}

QToolBar* QtFrameBars::addBar(const char* name, const std::vector<int>& ids) {
    QToolBar* bar = frame_.addToolBar(name);
    bar->setObjectName(name);
    for (int id : ids)
        bar->addAction(frame_.action(id));
    // The View menu and the flags decide; the bar's own context menu would bypass them.
    bar->toggleViewAction()->setVisible(false);
    frame_.setContextMenuPolicy(Qt::NoContextMenu);
    return bar;
}

void QtFrameBars::toggle(int id, bool BarFlags::*flag) {
    frame_.setCommand(id, {[this, flag] {
                               flags_.*flag = !(flags_.*flag);
                               apply();
                           },
                           {},
                           [this, flag] { return flags_.*flag; }});
}

void QtFrameBars::apply() {
    auto show = [](QToolBar* bar, bool on) {
        if (bar && bar->isHidden() == on)
            bar->setVisible(on);
    };
    show(file_, flags_.file);
    show(waveEdit_, flags_.waveEdit);
    show(parameter_, flags_.parameter);
    show(instrument_, flags_.instrument);
}

} // namespace tw
