#include "frame/QtPulseFrame.h"

#include "app/Commands.h"
#include "app/NumberText.h"
#include "frame/MainFrame.h"
#include "frame/RecentFileMenu.h"
#include "host/HostLink.h"
#include "pulse/qt/QtPulseWindows.h"
#include "view/qt/PulseTrainView.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolBar>

namespace tw {

QtPulseFrame::QtPulseFrame(MainFrame& frame, PulseComposer& composer)
    : frame_(frame), composer_(composer), view_(new PulseTrainView(composer, &frame)),
      sections_(new QComboBox(&frame)) {
    frame.setView(*view_);
    QtPulseWindows::FrameHooks hooks;
    hooks.repaint = [this] {
        showViewMode();
        showTrainText();
        view_->update();
    };
    hooks.sectionListChanged = [this] { fillSectionList(); };
    hooks.titleChanged = [this] {
        showTrainText();
        view_->update();
    };
    hooks.trainOpened = [this](const std::string& path) {
        if (recent_)
            recent_->add(path);
    };
    windows_ = std::make_unique<QtPulseWindows>(composer_, &frame, std::move(hooks));

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
        std::make_unique<RecentFileMenu>(frame, frame.profile().recentFilesSection(),
                                         [this](const std::string& path) { composer_.Open(path); });
}

QtPulseFrame::~QtPulseFrame() {
    windows_.reset();
    composer_.Close();
    PostComposerClosed(composer_.closedCode(), 0);
    delete view_;
}

void QtPulseFrame::close() {
    composer_.Close();
}

void QtPulseFrame::showTrainText() {
    auto* box = frame_.findChild<QLineEdit*>("1042");
    if (!box)
        return;
    // The title's name part: the origin file, or "Untitled" (with the channel) before one.
    const std::string title = composer_.windowTitle("");
    const auto arrow = title.find(" -> ");
    QString text = QFileInfo(QString::fromStdString(
                                 arrow == std::string::npos ? title : title.substr(arrow + 4)))
                       .fileName();
    text += QString::fromUtf8(" \u2014 ") +
            QString::fromStdString(PrefixedNumberText(composer_.view.trainDuration, "s"));
    if (const int n = composer_.compiledSegments; n >= 0)
        text += QString::fromUtf8(" \u2014 %1 segment%2").arg(n).arg(n == 1 ? "" : "s");
    box->setText(text);
    box->setCursorPosition(0); // a long name shows its beginning
    box->setAccessibleName("Pulse train");
    box->setToolTip("The train's file name, its duration and the segments of its last download");
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
