#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/NumberText.h"
#include "app/ProfileFile.h"
#include "document/WeDoc.h"
#include "frame/QtWaveFrame.h"
#include "pulse/TrainBuilder.h"
#include "support/HostRecorder.h"
#include "support/SampleValues.h"
#include "support/Sandbox.h"
#include "view/qt/WeditVw.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace tw {
namespace {

struct ShownFrame {
    ShownFrame(const LaunchState& session, int resourceSet) : frame(session, resourceSet) {
        EXPECT_TRUE(test::ShowFrame(frame));
        frame.plotView()->repaint();
    }

    // The status bar's readout after the mouse moved to `pos` in the view.
    std::string readoutAt(QPoint pos) {
        PlotView* v = frame.plotView();
        QMouseEvent move(QEvent::MouseMove, pos, v->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(v, &move);
        return frame.findChild<QLabel*>("Readout")->text().toStdString();
    }

    MainFrame frame;
};

// A column of the plot's left part and the row of the centre line.
QPoint InsidePlot(const WeditVw& v, int column) {
    return {v.plot().left + column, (v.plot().top + v.plot().bottom) / 2};
}

TEST(Readout, StandardComposerShowsThePointsCodeAndTheMarkedRange) {
    test::Sandbox box;
    ShownFrame shown(box.session(), kStandardResources);
    WeditVw* v = shown.frame.view();
    WeDoc& doc = shown.frame.waveFrame()->document();
    test::Iota(doc.samples(), -500);
    ASSERT_TRUE(doc.CommitEdit());
    v->markAnchors(10, 109);
    v->repaint();

    const QPoint at = InsidePlot(*v, 37);
    const long index = static_cast<long>(v->mapping().PixelToX(at.x()));
    const std::string code = std::to_string(index - 500);
    EXPECT_EQ(shown.readoutAt(at), "Point " + std::to_string(index) + "  Code " + code +
                                       "    Marked 10..109 (100 points)");
    // Another channel: the readout follows without a mouse move; Download says what it sent.
    test::HostRecorder host;
    box.set(box.exchange(), "AppTits", "AC", "Consolia");
    shown.frame.runCommand(kCmdChannel1 + 1);
    EXPECT_TRUE(shown.frame.action(kCmdChannel1 + 1)->isChecked());
    EXPECT_FALSE(shown.frame.action(kCmdChannel1)->isChecked());
    v->repaint();
    EXPECT_EQ(shown.frame.findChild<QLabel*>("Readout")->text().toStdString(),
              "Point " + std::to_string(index) + "  Code 0    Marked 0..1023 (1024 points)");
    shown.frame.runCommand(kCmdDownload);
    EXPECT_EQ(shown.frame.statusBar()->currentMessage().toStdString(),
              "Downloaded to the host: channel 2, segment 1, 1024 points");
    shown.frame.runCommand(kCmdChannel1);
    EXPECT_EQ(shown.readoutAt({2, 2}), "") << "outside the plot";
    shown.readoutAt(at);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(v, &leave);
    EXPECT_EQ(shown.frame.findChild<QLabel*>("Readout")->text(), "");
}

TEST(Readout, FmComposerShowsHertzOrTheAbstractScale) {
    for (const auto& [abstract, expected] :
         {std::pair{false, "Point 0  125 MHz    Marked 0..1023 (1024 points)"},
          std::pair{true, "Point 0  500M    Marked 0..1023 (1024 points)"}}) {
        SCOPED_TRACE(abstract);
        test::Sandbox box(kFmComposer);
        if (abstract) {
            profile::DeleteKey(box.descr(), "FmComposer", "IsAbstr");
            profile::DeleteKey(box.descr(), "FmComposer", "PtSize");
        }
        ShownFrame shown(box.session(), kFmResources);
        EXPECT_EQ(shown.readoutAt(InsidePlot(*shown.frame.view(), 0)), expected);
    }
}

TEST(Readout, PulseTrainComposerShowsTimeLevelAndScalesInTheTrainsUnits) {
    test::Sandbox box(kPulseComposer);
    // 0 V for 1 ms, 0.5 V for 2 ms, 0 V for 1 ms, shown in microseconds and volts.
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{0, 1e-3}, {0.5, 2e-3}, {0, 1e-3}}}}, 1);
    box.set(box.exchange(), "PulseRoot-ch1", "tmUnitInd", "2");
    box.set(box.exchange(), "PulseRoot-ch1", "voltInd", "1");
    ShownFrame shown(box.session(), kPulseResources);
    const PlotView* v = shown.frame.plotView();
    // The scale texts speak the same units; the plot pads the levels by a tenth of their span.
    EXPECT_EQ(v->scaleTexts().horizontal, "Horizontal Scale: 4e3us [400us/Div]");
    EXPECT_EQ(v->scaleTexts().vertical, "Vertical Scale: 600mV  [75mV/Div]");
    EXPECT_EQ(v->scaleTexts().midValue, "250e-3") << "volts are not points: no half point added";
    for (const auto& [us, level] : {std::pair{500.0, "0 V"}, std::pair{2000.0, "500 mV"}}) {
        const QPoint at(v->mapping().XToPixel(us), (v->plot().top + v->plot().bottom) / 2);
        const std::string time = PrefixedNumberText(v->mapping().PixelToX(at.x()) * 1e-6, "s");
        EXPECT_EQ(shown.readoutAt(at), "Time " + time + "  Level " + level);
    }
}

} // namespace
} // namespace tw
