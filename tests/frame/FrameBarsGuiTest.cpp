#include "frame/FrameBars.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "app/qt/AppProfile.h"
#include "document/WeDoc.h"
#include "frame/MainFrame.h"
#include "frame/QtWaveFrame.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace tw {
namespace {

QList<int> ButtonIds(QToolBar* bar) {
    QList<int> ids;
    for (QAction* a : bar->actions())
        if (!a->isSeparator() && a->data().isValid())
            ids << a->data().toInt();
    return ids;
}

TEST(FrameBars, ButtonsFollowTheComposerAndTheInstrumentAndShowTheActiveChannel) {
    test::Sandbox box;
    {
        MainFrame f(box.session(), kStandardResources);
        EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kFileBand)),
                  (QList<int>{kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdPrint}));
        EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kEditBand)).size(), 11);
        // Two channels: Download, Clear memory, Channel 1 and 2.
        EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kInstrumentBand)),
                  (QList<int>{kCmdDownload, kCmdClearMemory, kCmdChannel1, kCmdChannel1 + 1}));
    }
    box.set(box.exchange(), "Instrument", "Channels", "4");
    {
        MainFrame f(box.session(), kStandardResources);
        EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kInstrumentBand)).size(), 6);
        // The channel buttons show the active channel.
        EXPECT_TRUE(f.action(kCmdChannel1)->isChecked());
        f.runCommand(kCmdChannel1 + 1);
        EXPECT_EQ(f.waveFrame()->document().activeChannel(), 1);
        EXPECT_TRUE(f.action(kCmdChannel1 + 1)->isChecked());
        EXPECT_FALSE(f.action(kCmdChannel1)->isChecked());
    }
    test::Sandbox fmBox(kFmComposer);
    {
        MainFrame f(fmBox.session(), kFmResources);
        EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kInstrumentBand)), QList<int>{kCmdDownload});
    }
    test::Sandbox pulseBox(kPulseComposer);
    pulseBox.set(pulseBox.exchange(), "Instrument", "Channels", "4");
    pulseBox.set(pulseBox.exchange(), "Settings", "ActiveCh", "2");
    MainFrame f(pulseBox.session(), kPulseResources);
    EXPECT_EQ(f.bars()->bar(FrameBars::kEditBand), nullptr);
    EXPECT_EQ(ButtonIds(f.bars()->bar(FrameBars::kFileBand)).back(), kCmdPulseEditor);
    EXPECT_TRUE(f.action(kCmdChannel1 + 2)->isChecked());
    EXPECT_FALSE(f.action(kCmdChannel1)->isChecked());
    EXPECT_FALSE(f.action(kCmdChannel1 + 2)->isEnabled()) << "the host chooses the channel";
}

class FrameTest : public ::testing::Test {
  protected:
    test::Sandbox box;
};

TEST_F(FrameTest, BarFlagsAndPlacementSurviveARun) {
    box.set(box.session().generalIni, "ViewsTD", "visParm", "0");
    (*OpenAppProfile()).setValue("Settings/Rect", "0100 0050 0750 0550"); // fits the screen
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
    const std::unique_ptr<QSettings> profile = OpenAppProfile();
    QSettings& settings = *profile;
    EXPECT_EQ(settings.value("Settings/Rect").toString(), "0120 0060 1020 0700");
    EXPECT_EQ(settings.value("Settings/icon").toInt(), 0);
    EXPECT_EQ(settings.value("Settings/max").toInt(), 0);
}

// A slip of the keyboard in a parameter box must not reach the document before Apply or Return:
// the frame's timer only keeps the bars visible as their flags say.
TEST_F(FrameTest, TypingInTheParameterBarWaitsForApplyOrReturn) {
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

    QLineEdit* segment = bars->secondBox();
    ASSERT_EQ(segment->text(), "1");
    segment->setFocus();
    QTest::keyClick(segment, Qt::Key_Backspace);
    QTest::keyClicks(segment, "2");
    QTest::qWait(350);
    EXPECT_EQ(doc.activeSegment(), 1);
    EXPECT_TRUE(bars->pending(1));
    bars->applyButton()->click();
    EXPECT_EQ(doc.activeSegment(), 2);
    EXPECT_FALSE(bars->pending(1));
    EXPECT_FALSE(bars->applyButton()->isEnabled());
}

} // namespace
} // namespace tw
