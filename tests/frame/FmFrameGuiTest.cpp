#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "document/DocFixture.h"
#include "document/WaveFormats.h"
#include "fm/FmComposer.h"
#include "fm/FmSettings.h"
#include "frame/FrameBars.h"
#include "frame/MainFrame.h"
#include "frame/QtWaveFrame.h"
#include "view/qt/WeditVw.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

// The FM composer's frame over a sandbox whose host is the recording link.
class FmFrame : public test::DocFixture {
  protected:
    FmFrame() : DocFixture(kFmComposer) {}
    void TearDown() override {
        frame.reset();
        DocFixture::TearDown();
    }
    void open() {
        frame = std::make_unique<MainFrame>(box.session(), kFmResources);
        frame->resize(900, 600);
        deviation = frame->bars()->secondBox();
    }
    void type(const QString& text) {
        deviation->clear();
        QTest::keyClicks(deviation, text);
        frame->bars()->applyButton()->click();
    }
    WeDoc& document() { return frame->waveFrame()->document(); }

    std::unique_ptr<MainFrame> frame;
    QLineEdit* deviation = nullptr;
};

TEST_F(FmFrame, DeviationBoxAppliesRefusesAndFollowsOpenAndReread) {
    box.set(box.exchange(), "FmMark0", "Mrk0", "127000000");
    open();
    auto* markers = frame->findChild<QLabel*>("markersInRange");
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(markers->text(), "Markers: 1");
    EXPECT_EQ(deviation->text(), "1.25e7");
    type("300e6");
    EXPECT_EQ(box.prompts.asked.size(), 1u) << "the refusal (FmSettingsTest has its text)";
    EXPECT_EQ(deviation->text(), "1.25e7");
    EXPECT_TRUE(link.sent.empty());

    type("2e6");
    EXPECT_EQ(deviation->text(), "2e6");
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:FM:DEV 2e6"});
    EXPECT_EQ(markers->text(), "Markers: 0") << "127e6 lies above the new range";
    EXPECT_FALSE(frame->bars()->applyButton()->isEnabled());

    const std::string file = box.write("two.wvf", "");
    ASSERT_TRUE(
        WriteNativeFile(file, std::vector<std::int32_t>(500, 90000000), PointLayout::Int32));
    ASSERT_TRUE(document().Open({file, 0}));
    EXPECT_EQ(deviation->text(), "9000000") << "a flat wave spans a tenth of its value";

    // After a re-read the carrier cannot be brought inside the limits: the frame closes.
    frame->show();
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK x 100 150");
    box.prompts.clear();
    frame->hostEvent(4, 0);
    EXPECT_TRUE(box.prompts.lastText().starts_with("FM Sample clock has reached its limit."));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !frame->isVisible(); }, 2000));
}

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

// With the parameter bar up, event 4 follows the host's FM settings and leaves channel and
// segment alone; the view is drawn again only when the carrier, range or mode changed. Without
// the bar, or in FP-segment mode, it reads the segment as the other composers do, and the FM
// settings wait. The FP-segment numbers are ExchangeFileTest's.
TEST_F(FmFrame, Event4RereadsTheFmSettingsWithTheParameterBarAndTheSegmentWithout) {
    open();
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QTest::qWait(50);
    PaintCounter counter(frame->view());
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "4 5");
    frame->hostEvent(4, 0);
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 0) << "the FM settings did not change";
    EXPECT_EQ(document().activeChannel(), 0);
    EXPECT_EQ(document().activeSegment(), 1);

    box.set(box.exchange(), "Settings", "FmDev0", "5e6");
    frame->hostEvent(4, 0);
    QTest::qWait(50);
    EXPECT_EQ(deviation->text(), "5e6");
    EXPECT_EQ(document().vMin(), 122.5e6);
    EXPECT_GE(counter.paints, 1);

    frame->runCommand(kCmdParameterBar);
    ASSERT_FALSE(frame->bars()->visible(FrameBars::kParmBand));
    box.set(box.exchange(), "Settings", "FmDev0", "1e6");
    box.set(box.exchange(), "Settings", "AcSeg", "3 3");
    frame->hostEvent(4, 0);
    EXPECT_EQ(document().activeSegment(), 3);
    EXPECT_EQ(deviation->text(), "5e6");
    EXPECT_EQ(document().vMin(), 122.5e6);
}

} // namespace
} // namespace tw
