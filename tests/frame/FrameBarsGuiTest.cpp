#include "frame/FrameBars.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "app/qt/AppProfile.h"
#include "document/WeDoc.h"
#include "frame/MainFrame.h"
#include "frame/QtWaveFrame.h"
#include "pulse/qt/PulseEditorDialog.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace tw {
namespace {

// The buttons each composer gets are MainFrame.EachResourceSetHasItsMenusAndBarButtons'.
// A channel button run from the standard composer's frame: ReadoutGuiTest.
TEST(FrameBars, ChannelButtonsShowTheActiveChannel) {
    test::Sandbox pulseBox(kPulseComposer);
    pulseBox.set(pulseBox.exchange(), "Instrument", "Channels", "4");
    pulseBox.set(pulseBox.exchange(), "Settings", "ActiveCh", "2");
    MainFrame f(pulseBox.session(), kPulseResources);
    EXPECT_TRUE(f.action(kCmdChannel1 + 2)->isChecked());
    EXPECT_FALSE(f.action(kCmdChannel1)->isChecked());
    EXPECT_FALSE(f.action(kCmdChannel1 + 2)->isEnabled()) << "the host chooses the channel";
}

TEST(FrameBars, BarFlagsAndPlacementSurviveARun) {
    test::Sandbox box;
    box.set(box.session().generalIni, "ViewsTD", "visParm", "0");
    OpenAppProfile()->setValue("Settings/Rect", "0100 0050 0750 0550"); // fits the screen
    {
        MainFrame frame(box.session(), kStandardResources);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        FrameBars* bars = frame.bars();
        EXPECT_FALSE(bars->bar(FrameBars::kParmBand)->isVisible());
        EXPECT_TRUE(bars->bar(FrameBars::kEditBand)->isVisible());
        EXPECT_EQ(frame.geometry(), QRect(100, 50, 650, 500));
        frame.runCommand(kCmdParameterBar);
        EXPECT_TRUE(bars->bar(FrameBars::kParmBand)->isVisible());
        frame.runCommand(kCmdWaveEditBar);
        QTest::qWait(150); // the timer keeps the bands as the flags say
        EXPECT_FALSE(bars->bar(FrameBars::kEditBand)->isVisible());
        frame.setGeometry(120, 60, 900, 640);
        frame.close();
    }
    EXPECT_EQ(box.get(box.session().generalIni, "ViewsTD", "visParm"), "1");
    EXPECT_EQ(box.get(box.session().generalIni, "ViewsTD", "visTool"), "0");
    EXPECT_EQ(OpenAppProfile()->value("Settings/Rect").toString(), "0120 0060 1020 0700");
    EXPECT_EQ(OpenAppProfile()->value("Settings/icon").toInt(), 0);
    EXPECT_EQ(OpenAppProfile()->value("Settings/max").toInt(), 0);
}

// A slip of the keyboard in a parameter box must not reach the document before Apply or Return:
// the frame's timer only keeps the bars visible as their flags say.
TEST(FrameBars, TypingInTheParameterBarWaitsForApplyOrReturn) {
    test::Sandbox box;
    MainFrame frame(box.session(), kStandardResources);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    FrameBars* bars = frame.bars();
    WeDoc& doc = frame.waveFrame()->document();
    QLineEdit* length = bars->wavelengthBox();
    ASSERT_EQ(length->text(), "1024");
    EXPECT_FALSE(bars->applyButton()->isEnabled());
    length->setFocus();
    QTest::keyClick(length, Qt::Key_End);
    QTest::keyClick(length, Qt::Key_Backspace);
    QTest::qWait(350);
    EXPECT_EQ(length->text(), "102");
    EXPECT_TRUE(bars->pending(0));
    EXPECT_EQ(doc.wavelength(), 1024) << "nothing applied while the box waits";
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
    EXPECT_TRUE(bars->applyButton()->isEnabled());

    QTest::keyClicks(length, "40");
    QTest::keyClick(length, Qt::Key_Return);
    EXPECT_EQ(doc.wavelength(), 10240);
    EXPECT_FALSE(bars->pending(0));
    EXPECT_FALSE(bars->applyButton()->isEnabled());
}

void StorePlacement(QRect r) {
    OpenAppProfile()->setValue(
        "Settings/FmRect",
        QString::asprintf("%04d %04d %04d %04d", r.left(), r.top(), r.right() + 1, r.bottom() + 1));
}

struct PulseRun {
    // The frame opens where its stored placement says.
    PulseRun(const LaunchState& session, QRect placement)
        : frame(session, (StorePlacement(placement), kPulseResources)) {
        frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
        editor = frame.findChild<PulseEditorDialog*>();
        EXPECT_TRUE(editor && QTest::qWaitFor([this] { return editor->isVisible(); }, 2000));
    }
    // The menu and bars: the frame above its central widget.
    QRect barsArea() const {
        const QRect f = frame.frameGeometry();
        return QRect(f.topLeft(),
                     QPoint(f.right(), frame.centralWidget()->mapToGlobal(QPoint(0, 0)).y() - 1));
    }
    MainFrame frame;
    PulseEditorDialog* editor = nullptr;
};

// The editor is placed again as the bars settle, on a timer that a busy machine runs late: what
// counts is where it comes to rest.
template <class Placed> bool Rests(Placed placed) {
    return QTest::qWaitFor(placed, 3000);
}

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect LeftThird() {
    const QRect screen = Screen();
    return QRect(screen.left(), screen.top() + 30, screen.width() / 3, 400);
}

TEST(PulseEditorPlacement, OpensBesideTheMainWindowAndRemembersItsPlaceHeldOnTheScreen) {
    test::Sandbox box(kPulseComposer);
    box.set(box.session().generalIni, "DrawRect", "minTDrct", "300 300"); // room beside it
    const QRect screen = Screen();
    {
        PulseRun run(box.session(), LeftThird());
        EXPECT_TRUE(Rests([&] {
            return run.editor->frameGeometry().left() >= run.frame.frameGeometry().right();
        })) << run.editor->frameGeometry().left()
            << " beside " << run.frame.frameGeometry().right();
        run.editor->setGeometry(screen.left() + 37, screen.top() + 41, 500, 450);
    } // the editor is still shown when the frame closes
    EXPECT_EQ(box.get(box.session().generalIni, "DrawRect", "PulsCompDlg"),
              QString("%1 %2 %3 %4")
                  .arg(screen.left() + 37)
                  .arg(screen.top() + 41)
                  .arg(screen.left() + 536)
                  .arg(screen.top() + 490)
                  .toStdString());
    {
        PulseRun run(box.session(), LeftThird());
        EXPECT_EQ(run.editor->geometry(), QRect(screen.left() + 37, screen.top() + 41, 500, 450));
    }
    // Held on the screen (WindowPlacementTest has the arithmetic).
    box.set(box.session().generalIni, "DrawRect", "PulsCompDlg", "90000 90000 90499 90449");
    {
        PulseRun run(box.session(), LeftThird());
        EXPECT_TRUE(screen.contains(run.editor->geometry()));
    }
    // A window manager moving it onto the bars while the windows settle: it goes back (CI saw
    // it left there at 200%).
    box.set(box.session().generalIni, "DrawRect", "PulsCompDlg", "");
    PulseRun full(box.session(), screen.adjusted(0, 0, 0, -40));
    const auto clear = [&] { return !full.editor->frameGeometry().intersects(full.barsArea()); };
    EXPECT_TRUE(Rests(clear));
    QTest::qWait(300);
    full.editor->move(full.editor->x(), full.frame.geometry().top());
    EXPECT_TRUE(Rests(clear));
}

} // namespace
} // namespace tw
