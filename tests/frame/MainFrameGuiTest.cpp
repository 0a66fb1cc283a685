#include "frame/MainFrame.h"

#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/ProfileStore.h"
#include "app/qt/AppProfile.h"
#include "document/WeDoc.h"
#include "frame/QtPulseFrame.h"
#include "frame/QtWaveFrame.h"
#include "host/HostLink.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainBuilder.h"
#include "support/HostRecorder.h"
#include "support/Sandbox.h"
#include "view/qt/WeditVw.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tw {
namespace {

// Each resource set's menus, their items ("(off)" when disabled) and the bars' buttons, with the
// channel buttons of two or four channels: recorded in tests/data/frame/menus-and-bars.txt.
TEST(MainFrame, EachResourceSetHasItsMenusAndBarButtons) {
    const struct {
        int composer, resources;
        const char* channels;
    } sets[] = {{kStandardComposer, kStandardResources, "2"},
                {kStandardComposer, kMarkerBitResources, "4"},
                {kFmComposer, kFmResources, "2"},
                {kPulseComposer, kPulseResources, "4"}};
    std::ostringstream seen;
    for (const auto& set : sets) {
        test::Sandbox box(set.composer);
        box.set(box.exchange(), "Instrument", "Channels", set.channels);
        MainFrame f(box.session(), set.resources);
        seen << "resources " << set.resources << ", " << set.channels << " channels\n";
        for (QAction* menu : f.menuBar()->actions()) {
            seen << menu->text().toStdString() << "\n";
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator())
                    seen << "  " << a->text().toStdString() << (a->isEnabled() ? "" : " (off)")
                         << "\n";
        }
        for (QToolBar* bar : f.findChildren<QToolBar*>()) {
            seen << "bar " << bar->objectName().toStdString() << "\n";
            for (QAction* a : bar->actions())
                if (!a->isSeparator() && a->data().isValid())
                    seen << "  " << a->data().toInt() << " " << a->toolTip().toStdString() << "\n";
        }
    }
    std::ifstream in(std::string(TW_TEST_DATA_DIR) + "/frame/menus-and-bars.txt");
    std::istringstream got(seen.str());
    std::string want, line;
    while (std::getline(in, want)) {
        ASSERT_TRUE(std::getline(got, line)) << "missing: " << want;
        EXPECT_EQ(line, want);
    }
    EXPECT_FALSE(std::getline(got, line)) << "not recorded: " << line;
}

class StandardFrame : public ::testing::Test {
  protected:
    test::Sandbox box;
    MainFrame f{box.session(), kStandardResources};
};

TEST_F(StandardFrame, HoverShowsStatusTextAndOnlyHandledCommandsAreEnabled) {
    f.show();
    QAction* autoline = f.action(kCmdAutoline);
    // Hovering the menu item shows its status text, also while the command is disabled.
    QAction* editTitle = nullptr;
    for (QAction* m : f.menuBar()->actions())
        if (m->text() == "&Edit")
            editTitle = m;
    ASSERT_NE(editTitle, nullptr);
    QMenu* edit = editTitle->menu();
    QTest::mouseClick(f.menuBar(), Qt::LeftButton, {},
                      f.menuBar()->actionGeometry(editTitle).center());
    ASSERT_TRUE(edit->isVisible());
    QTest::mouseMove(edit, edit->actionGeometry(f.action(kCmdUndo)).center());
    QTest::mouseMove(edit, edit->actionGeometry(autoline).center());
    EXPECT_EQ(f.statusBar()->currentMessage(),
              "Draw stright line sections. Press right button to stop.");
    edit->hide();

    int runs = 0;
    bool allowed = true;
    f.setCommand(kCmdAutoline,
                 {[&] { ++runs; }, [&] { return allowed; }, [&] { return runs > 0; }});
    EXPECT_TRUE(autoline->isEnabled());
    autoline->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(autoline->isChecked());
    allowed = false;
    f.updateCommands();
    EXPECT_FALSE(autoline->isEnabled());
    f.runCommand(kCmdAutoline); // a disabled command does not run, also from a bar
    EXPECT_EQ(runs, 1);
}

// Show Peaks starts off, and the next frame starts as the last one left it: the application's
// own profile remembers it.
TEST(MainFrame, ShowPeaksIsOffAtFirstAndRemembered) {
    test::Sandbox box;
    {
        MainFrame f(box.session(), kStandardResources);
        QAction* peaks = f.action(kCmdShowPeaks);
        EXPECT_FALSE(peaks->isChecked());
        EXPECT_FALSE(f.view()->showPeaks());
        peaks->trigger();
        EXPECT_TRUE(peaks->isChecked());
        EXPECT_TRUE(f.view()->showPeaks());
        EXPECT_EQ(OpenAppProfile()->value("Settings/ShowPeaks").toInt(), 1);
    }
    MainFrame next(box.session(), kStandardResources);
    EXPECT_TRUE(next.view()->showPeaks());
    EXPECT_TRUE(next.action(kCmdShowPeaks)->isChecked());
}

TEST_F(StandardFrame, HostEventsMoveCloseAndReread) {
    f.resize(640, 480);
    f.show();
    f.hostEvent(6, (20L << 16) | 0xFFF6);
    EXPECT_EQ(f.pos(), QPoint(-10, 20));
    EXPECT_EQ(f.size(), QSize(640, 480));

    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "1 7");
    int rereads = 0;
    QObject::connect(&f, &MainFrame::hostReread, [&] { ++rereads; });
    f.hostEvent(4, 0);
    EXPECT_EQ(rereads, 1);
    EXPECT_EQ(f.waveFrame()->document().activeChannel(), 1);
    EXPECT_EQ(f.waveFrame()->document().activeSegment(), 7);

    EXPECT_TRUE(f.isVisible());
    f.hostEvent(3, 0);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(StandardFrame, ProgressBarRunsAlongTheBottomOfTheView) {
    f.resize(800, 600);
    f.show();
    WeditVw* v = f.view();
    f.progressNotice(10, 1);
    QProgressBar* bar = v->progressBar();
    ASSERT_NE(bar, nullptr);
    f.progressNotice(40, 1);
    EXPECT_EQ(v->progressBar(), bar);
    EXPECT_EQ(bar->value(), 40);
    EXPECT_EQ(bar->geometry(), QRect(0, v->height() - 11, v->width(), 10));
    f.progressNotice(0, 0);
    EXPECT_EQ(v->progressBar(), nullptr);
}

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The frame title is built on every paint; the log gets the application's name only when the
// title text changes, ahead of that paint's "COMPOSER:" line.
TEST_F(StandardFrame, EachNewFrameTitleLogsTheAppName) {
    const std::string line = "-----------appName=Tidewright\n";
    auto log = [this] { return ReadWholeFile(box.session().logFile).value_or(""); };
    ASSERT_TRUE(test::ShowFrame(f, 800, 600));
    f.view()->repaint();
    f.view()->repaint();
    EXPECT_EQ(f.windowTitle(), "Tidewright -> /.../TemS1.wa0");
    const std::string composerLine = "\nCOMPOSER:Tidewright -> /.../TemS1.wa0";
    EXPECT_EQ(CountOf(log(), line), 1) << log();
    EXPECT_LT(log().find(line), log().find(composerLine)) << log();
    EXPECT_GE(CountOf(log(), composerLine), 2);

    f.waveFrame()->document().SetPathName(box.root() + "/sine.wav", false);
    f.view()->repaint();
    f.view()->repaint();
    EXPECT_EQ(CountOf(log(), line), 2) << log();
}

TEST(MainFrame, PulseComposerDrivesItsSectionListAndTrainBar) {
    test::Sandbox box(kPulseComposer);
    test::HostRecorder host;
    box.set(box.exchange(), "AppTits", "AC", "Consolia");
    box.set(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal", "1");
    box.set(box.exchange(), "PulseRoot-ch1", "forceSclk", "1e6");
    WriteGeneralSetting(box.session(), "forceSingSeg", std::to_string(kSingleSegmentMode),
                        kPulseSettings);
    WriteGeneralSetting(box.session(), "hideSumm", "Hide",
                        kPulseSettings); // no summary dialog to answer
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 2.048e-3}, {-1, 2.048e-3}}}}, 2);
    const std::string train = box.root() + "/train.pls";
    MainFrame f(box.session(), kPulseResources);
    f.resize(1280, 800);
    f.show();
    // The sections' commands at first: MainFrame.EachResourceSetHasItsMenusAndBarButtons.
    QComboBox* list = f.findChild<QComboBox*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "Full Train");
    EXPECT_EQ(list->itemText(1), "Section 1");
    f.action(kCmdSection1)->trigger();
    EXPECT_TRUE(f.action(kCmdFullTrain)->isEnabled());
    EXPECT_TRUE(f.action(kCmdSection1)->isChecked());
    EXPECT_EQ(list->currentIndex(), 1);
    f.grab().toImage().save(QString(TW_BINARY_DIR) + "/MainFrame-pulse.png"); // paints the title
    EXPECT_EQ(f.windowTitle(), "Trainsmith -> Untitled-Ch1");

    auto& c = static_cast<PulseComposer&>(f.composer());
    auto* text = f.findChild<QLineEdit*>("1042");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->text().startsWith("Untitled"));
    EXPECT_FALSE(text->accessibleName().isEmpty());
    ASSERT_TRUE(c.SaveAs(train));
    ASSERT_TRUE(c.Open(train));
    EXPECT_EQ(text->text(), QString::fromUtf8("train.pls \u2014 4.096 ms"));
    ASSERT_EQ(c.Download(), kDownloadDone);
    EXPECT_EQ(text->text(), QString::fromUtf8("train.pls \u2014 4.096 ms \u2014 1 segment"));
}

// A long operation started from the window shows the progress dialog, and its Cancel stops it:
// enough comma-delimited text to take well over the dialog's delay.
constexpr std::size_t kPoints = 40'000'000;

TEST_F(StandardFrame, SaveAsShowsTheProgressDialogAndItsCancelWritesNothing) {
    QtWaveFrame wave(f, f.composer());
    ASSERT_TRUE(test::ShowFrame(f));
    WeDoc& doc = wave.document();
    doc.samples().Assign(kPoints, 1234);
    ASSERT_TRUE(doc.CommitEdit());

    QString shownLabel;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&shownLabel] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                shownLabel = d->labelText();
                d->cancel();
            }
    });
    watch.start();
    const QString name = QString::fromStdString(box.root() + "/big");
    EXPECT_TRUE(test::WhileModal<QFileDialog>(
        [&] { f.runCommand(kCmdSaveAs); },
        [&name](QFileDialog& dialog) {
            // comma-delimited
            dialog.selectNameFilter(dialog.nameFilters().at(2));
            dialog.findChild<QLineEdit*>("fileNameEdit")->setText(name);
            static_cast<QDialog&>(dialog).accept();
        }));
    watch.stop();
    EXPECT_EQ(shownLabel, "Saving big.csv...");
    EXPECT_FALSE(FileExists(box.root() + "/big.csv")) << "cancelled before its rename";
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

} // namespace
} // namespace tw
