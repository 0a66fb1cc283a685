#include "pulse/TrainBuilder.h"

#include "app/LaunchState.h"
#include "app/Startup.h"
#include "frame/MainFrame.h"
#include "support/Sandbox.h"
#include "view/qt/PlotView.h"

#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

ScaleTexts ShownScaleTexts(const LaunchState& session, const QString& shot) {
    MainFrame f(session, kPulseResources);
    f.resize(1280, 800);
    f.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.plotView()->repaint();
    f.grab().save(QString(TW_BINARY_DIR) + "/" + shot);
    return f.plotView()->scaleTexts();
}

// A 4 ms train between 0 and 0.5 V, which the plot pads by a tenth of the level span to
// -0.05 V .. 0.55 V: the scale texts speak the train's design units, not points.
TEST(PulseScaleTexts, NameTheTrainsTimeAndLevelUnits) {
    test::Sandbox box(kPulseComposer);
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{0, 1e-3}, {0.5, 2e-3}, {0, 1e-3}}}}, 1);
    ScaleTexts ms = ShownScaleTexts(box.session(), "PulseScaleTexts-ms-V.png");
    EXPECT_EQ(ms.horizontal, "Horizontal Scale: 4ms [400e-3ms/Div]");
    EXPECT_EQ(ms.vertical, "Vertical Scale: 600e-3V  [75e-3V/Div]");
    EXPECT_EQ(ms.midValue, "250e-3") << "volts are not points: no half point added";

    box.set(box.exchange(), "PulseRoot-ch1", "tmUnitInd", "2");
    box.set(box.exchange(), "PulseRoot-ch1", "voltInd", "1");
    ScaleTexts us = ShownScaleTexts(box.session(), "PulseScaleTexts-us-mV.png");
    EXPECT_EQ(us.horizontal, "Horizontal Scale: 4e3us [400us/Div]");
    EXPECT_EQ(us.vertical, "Vertical Scale: 600mV  [75mV/Div]");
    EXPECT_EQ(us.midValue, "250e-3");
}

} // namespace
} // namespace tw
