#include "frame/QtPulseFrame.h"

#include "app/Commands.h"
#include "frame/MainFrame.h"
#include "frame/RecentFileMenu.h"
#include "host/HostLink.h"
#include "pulse/qt/QtPulseWindows.h"
#include "view/qt/WeditVw.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QToolBar>

namespace tw {

QtPulseFrame::QtPulseFrame(MainFrame& frame, PulseComposer& composer)
    : frame_(frame), composer_(composer), sections_(new QComboBox(&frame)) {
    QtPulseWindows::FrameHooks hooks;
    hooks.repaint = [this] {
        showViewMode();
        frame_.view()->update();
    };
    hooks.sectionListChanged = [this] { fillSectionList(); };
    hooks.titleChanged = [this] { frame_.view()->update(); };
    hooks.trainOpened = [this](const std::string& path) {
        if (recent_)
            recent_->add(path);
    };
    windows_ = std::make_unique<QtPulseWindows>(composer_, &frame, std::move(hooks));
    frame.view()->setPulseComposer(&composer_);

    PulseComposer& c = composer_;
    auto enabled = [&c](int id) { return [&c, id] { return c.IsEnabled(id); }; };
    auto checked = [&c](int id) { return [&c, id] { return c.IsChecked(id); }; };
    auto run = [this](int id) { return [this, id] { RunPulseCommand(composer_, id, &frame_); }; };
    for (int id : {kCmdOpen, kCmdSave, kCmdSaveAs, kCmdOptions, kCmdDownload, kCmdPulseEditor,
                   kCmdAppendSection, kCmdInsertSection, kCmdDeleteSection, kCmdRemoveAllSections,
                   kCmdUndoTrain, kCmdFullTrain})
        frame.setCommand(id, {run(id), enabled(id), {}});
    for (int id = kCmdSection1; id <= kCmdSection10; ++id)
        frame.setCommand(id, {run(id), enabled(id), checked(id)});
    // The train belongs to the host's active channel; its buttons show which, and cannot change it.
    for (int i = 0; i < 4; ++i)
        frame.setCommand(kCmdChannel1 + i, {{}, {}, [&c, i] { return c.activeChannel() == i; }});
    frame.setCommand(kCmdShowPulseSummary,
                     {run(kCmdShowPulseSummary), {}, checked(kCmdShowPulseSummary)});

    QToolBar* bar = frame.addToolBar("Sections");
    bar->setObjectName("SectionBar");
    bar->addWidget(sections_);
    sections_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QObject::connect(sections_, &QComboBox::activated, &frame, [this](int index) {
        if (index == 0)
            composer_.FullTrain();
        else
            composer_.ChooseSection(index - 1);
    });
    fillSectionList();
    recent_ =
        std::make_unique<RecentFileMenu>(frame, composer_.recentFilesSection(),
                                         [this](const std::string& path) { composer_.Open(path); });
}

QtPulseFrame::~QtPulseFrame() {
    frame_.view()->setPulseComposer(nullptr);
    windows_.reset();
    composer_.Close();
    PostComposerClosed(composer_.closedCode(), 0);
}

void QtPulseFrame::close() {
    composer_.Close();
}

void QtPulseFrame::fillSectionList() {
    QSignalBlocker block(sections_);
    sections_->clear();
    for (const std::string& name : composer_.SectionList())
        sections_->addItem(QString::fromStdString(name));
    showViewMode();
}

void QtPulseFrame::showViewMode() {
    QSignalBlocker block(sections_);
    const auto& v = composer_.view;
    sections_->setCurrentIndex(v.viewMode == 1 ? v.activeSection + 1 : 0);
}

} // namespace tw
