// Keys as a user presses them on a managed desktop: the plot holds the focus, and the commands'
// shortcuts reach the wave unless a box of the bars holds typed, unapplied text.
#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/FileUtil.h"
#include "document/WeDoc.h"
#include "frame/FrameBars.h"
#include "frame/QtWaveFrame.h"
#include "support/Sandbox.h"
#include "support/gui/Widgets.h"
#include "support/wm/WindowManager.h"
#include "view/qt/WeditVw.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace tw {
namespace {

struct Desk {
    explicit Desk(int composer) : box(composer), frame(box.session(), test::ResourcesOf(composer)) {
        frame.resize(1024, 700);
        frame.show();
        EXPECT_TRUE(test::WaitFramed(frame));
        frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame, 20000));
    }
    std::string working() {
        return ReadWholeFile(frame.waveFrame()->document().ActiveWorkingFile()).value_or("");
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(frame.windowHandle(), key, modifiers);
        QTest::qWait(20);
    }
    void click(int command) {
        QToolBar* bar = frame.bars()->bar(FrameBars::kEditBand);
        QTest::mouseClick(bar->widgetForAction(frame.action(command)), Qt::LeftButton);
    }
    void sine() {
        EXPECT_TRUE(test::WhileModal([this] { frame.runCommand(kCmdSine); },
                                     [](QDialog& dialog) { test::Button(dialog, "OK")->click(); }));
        // The window manager hands the activation back once the dialog is gone.
        frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame, 20000));
        QTest::qWait(100);
    }
    test::Sandbox box;
    MainFrame frame;
};

TEST(KeyboardFocus, CtrlZAfterInvertRestoresTheWorkingFile) {
    TW_REQUIRE_WINDOW_MANAGER();
    for (int composer : {kStandardComposer, kFmComposer}) {
        SCOPED_TRACE(composer);
        Desk desk(composer);
        WeditVw* plot = desk.frame.view();
        EXPECT_EQ(QApplication::focusWidget(), plot) << "the plot has the keys from the start";
        desk.sine();
        const std::string sine = desk.working();
        ASSERT_FALSE(sine.empty());
        desk.click(kCmdInvert);
        ASSERT_NE(desk.working(), sine);
        desk.press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(desk.working(), sine);

        // A box that was only clicked passes the key on; one with typed text keeps it.
        QLineEdit* wavelength = desk.frame.bars()->wavelengthBox();
        QTest::mouseClick(wavelength, Qt::LeftButton);
        ASSERT_TRUE(wavelength->hasFocus());
        desk.click(kCmdInvert);
        const std::string inverted = desk.working();
        desk.press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(desk.working(), sine);
        desk.click(kCmdInvert);
        desk.press(Qt::Key_End);
        desk.press(Qt::Key_7);
        desk.press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(desk.working(), inverted) << "Ctrl+Z undid the typing, not the wave";
        EXPECT_EQ(wavelength->text(), "1024");

        QTest::mouseClick(plot, Qt::LeftButton, {}, plot->rect().center());
        EXPECT_TRUE(plot->hasFocus());
    }
}

TEST(KeyboardFocus, TabRunsFromThePlotThroughTheParameterBoxes) {
    TW_REQUIRE_WINDOW_MANAGER();
    Desk desk(kStandardComposer);
    FrameBars& bars = *desk.frame.bars();
    const QWidget* expected[] = {bars.wavelengthBox(), bars.secondBox(), desk.frame.view()};
    for (const QWidget* next : expected) {
        desk.press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

} // namespace
} // namespace tw
