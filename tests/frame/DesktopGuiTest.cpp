// What a desktop user expects of the frame at the default window size: every bar button in
// sight, icons without any icon theme, the standard keys, the About box and the user guide.
#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "document/WeDoc.h"
#include "frame/AboutBox.h"
#include "frame/FrameBars.h"
#include "frame/LinkLabel.h"
#include "frame/PictureControl.h"
#include "frame/QtWaveFrame.h"
#include "support/Sandbox.h"
#include "view/qt/WeditVw.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>

namespace tw {
namespace {

// Catches what the program hands to the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    UrlCatcher() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

void ShowAt(MainFrame& frame, int width, int height) {
    ASSERT_TRUE(test::ShowFrame(frame, width, height));
    QTest::qWait(150); // a timer round: the bars are as their flags say
}

// Every button of every shown band lies whole inside the window, and no band has its overflow
// arrow out.
void ExpectEveryButtonInSight(MainFrame& frame, const char* composer) {
    for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
        if (!bar->isVisible())
            continue;
        for (QToolButton* more : bar->findChildren<QToolButton*>("qt_toolbar_ext_button"))
            EXPECT_FALSE(more->isVisible()) << composer << ": " << bar->objectName().toStdString();
        for (QAction* a : bar->actions()) {
            QWidget* button = bar->widgetForAction(a);
            if (a->isSeparator() || !button)
                continue;
            const QRect at(button->mapTo(&frame, QPoint(0, 0)), button->size());
            EXPECT_TRUE(button->isVisible() && frame.rect().contains(at))
                << composer << ": " << a->toolTip().toStdString() << " at " << at.x() << ","
                << at.y() << " in " << frame.width();
        }
    }
}

TEST(Desktop, EveryBarButtonIsInSightAt1024x700AndAtTheSmallestWidth) {
    const struct {
        int composer;
        int fpSegment; // FP segments give the FM composer its widest parameter bar
        const char* name;
    } cases[] = {{kStandardComposer, 0, "standard"},
                 {kFmComposer, 0, "FM"},
                 {kFmComposer, 1, "FM, FP segments"},
                 {kPulseComposer, 0, "pulse-train"}};
    for (const auto& c : cases) {
        test::Sandbox box(c.composer);
        box.set(box.exchange(), "Instrument", "Channels", "4");
        if (c.fpSegment)
            box.useFpSegments(c.fpSegment);
        MainFrame frame(box.session(), test::ResourcesOf(c.composer));
        ShowAt(frame, 1024, 700);
        ExpectEveryButtonInSight(frame, c.name);
        if (c.composer == kFmComposer) {
            ASSERT_NE(frame.bars()->bar(FrameBars::kMarkerBand), nullptr);
            EXPECT_TRUE(frame.bars()->bar(FrameBars::kMarkerBand)->isVisible());
        }
        if (c.composer != kStandardComposer)
            continue;
        // Narrower than any band: the frame keeps the widest band's width; bands take more rows.
        frame.resize(200, 700);
        QTest::qWait(150);
        EXPECT_GE(frame.width(), frame.bars()->bar(FrameBars::kEditBand)->sizeHint().width());
        ExpectEveryButtonInSight(frame, "standard, narrowest");
    }
}

TEST(Desktop, BarIconsNeedNoIconThemeAndStaySharpAtTwiceTheScale) {
    const QString theme = QIcon::themeName();
    const QStringList paths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName("tw-no-such-theme");
    test::Sandbox box;
    box.set(box.exchange(), "Instrument", "Channels", "4");
    MainFrame frame(box.session(), kStandardResources);
    EXPECT_FALSE(frame.windowIcon().isNull());
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || !a->data().isValid())
                continue;
            const QPixmap twice = a->icon().pixmap(QSize(20, 20), 2.0);
            ASSERT_FALSE(twice.isNull()) << a->toolTip().toStdString();
            EXPECT_EQ(twice.size(), QSize(40, 40)) << a->toolTip().toStdString();
            const QImage image = twice.toImage();
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    drawn += qAlpha(image.pixel(x, y)) > 128;
            EXPECT_GT(drawn, 40) << a->toolTip().toStdString();
        }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(theme);
}

TEST(Desktop, StandardKeysRunTheirCommandsAndShowInTheMenus) {
    test::Sandbox box;
    box.set(box.exchange(), "Instrument", "Channels", "4");
    MainFrame frame(box.session(), kStandardResources);
    ShowAt(frame, 1024, 700);
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    const std::pair<int, QKeySequence::StandardKey> standard[] = {
        {kCmdNew, QKeySequence::New},       {kCmdOpen, QKeySequence::Open},
        {kCmdSave, QKeySequence::Save},     {kCmdSaveAs, QKeySequence::SaveAs},
        {kCmdPrint, QKeySequence::Print},   {kCmdUndo, QKeySequence::Undo},
        {kCmdZoomIn, QKeySequence::ZoomIn}, {kCmdZoomOut, QKeySequence::ZoomOut},
        {kCmdExit, QKeySequence::Quit},     {kCmdUserGuide, QKeySequence::HelpContents}};
    std::map<int, QKeySequence> keys{{kCmdDownload, QKeySequence("Ctrl+D")}};
    for (int i = 0; i < 4; ++i)
        keys[kCmdChannel1 + i] = QKeySequence(QString("Ctrl+%1").arg(i + 1));
    for (const auto& [id, key] : standard) // the desktop's own binding, where it has one
        keys[id] = QKeySequence::keyBindings(key).value(0, frame.action(id)->shortcut());

    std::map<int, int> ran;
    for (const auto& [id, key] : keys) {
        EXPECT_FALSE(key.isEmpty()) << id;
        EXPECT_EQ(frame.action(id)->shortcut(), key) << id;
        frame.setCommand(id, {[&ran, id = id] { ++ran[id]; }, {}, {}});
    }
    frame.view()->setFocus();
    for (const auto& [id, key] : keys) {
        QTest::keySequence(&frame, key);
        EXPECT_EQ(ran[id], 1) << "command " << id << " by " << key.toString().toStdString();
    }
}

TEST(Desktop, AboutBoxShowsThePictureAndLinksTheDocumentation) {
    test::Sandbox box(kFmComposer);
    UrlCatcher catcher;
    AboutBox about(box.session().appName);
    EXPECT_EQ(about.windowTitle(), "About FM Tidewright");
    QString texts;
    for (QLabel* label : about.findChildren<QLabel*>())
        texts += label->text() + "\n";
    for (const char* part : {"Version 4.3", "Copyright", "Licence"})
        EXPECT_TRUE(texts.contains(part)) << part << " in " << texts.toStdString();
    ASSERT_NE(about.picture()->pixmap().isNull(), true);
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
    ASSERT_NE(about.link(), nullptr);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.link(), Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_TRUE(QFileInfo(catcher.opened[0].toLocalFile() + "/user-guide.md").isFile())
        << catcher.opened[0].toString().toStdString();

    LinkLabel mail("someone@example.org", LinkLabel::Mode::Mail);
    EXPECT_EQ(mail.target(), QUrl("mailto:someone@example.org"));
}

TEST(Desktop, APictureThatCannotBeShownIsReported) {
    test::Sandbox box;
    PictureControl picture;
    EXPECT_FALSE(picture.load(":/icons/no-such-picture.jpg"));
    EXPECT_EQ(box.prompts.asked.back().caption, "CPicture Error");
    EXPECT_EQ(box.prompts.lastText(), "FindResource() Failed\t");
    EXPECT_FALSE(picture.load(QString::fromStdString(box.write("empty.jpg", ""))));
    EXPECT_EQ(box.prompts.lastText(), "LockResource() Failed\t");
    EXPECT_FALSE(picture.load(QString::fromStdString(box.write("text.jpg", "not a picture"))));
    EXPECT_EQ(box.prompts.lastText(), "IPicture interface is not supported\t");
    EXPECT_TRUE(picture.pixmap().isNull());
}

TEST(Desktop, HelpUserGuideShowsTheGuideRendered) {
    test::Sandbox box;
    MainFrame frame(box.session(), kStandardResources);
    frame.runCommand(kCmdUserGuide);
    auto* guide = frame.findChild<QTextBrowser*>("UserGuide");
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    const QString text = guide->toPlainText();
    EXPECT_TRUE(text.contains("Tidewright")) << text.left(200).toStdString();
    EXPECT_FALSE(text.contains("## ")) << "rendered, not raw Markdown";
    frame.runCommand(kCmdUserGuide);
    EXPECT_EQ(frame.findChildren<QTextBrowser*>("UserGuide").size(), 1);
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

} // namespace
} // namespace tw

#include "DesktopGuiTest.moc"
