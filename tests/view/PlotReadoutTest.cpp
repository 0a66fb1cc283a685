#include "view/PlotReadout.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// 100 points over a 200-pixel plot starting at pixel 50: two pixels a point.
PlotMapping Mapping(const PlotRect& plot) {
    PlotMapping m;
    m.xmin = 0;
    m.xmax = 99;
    m.ymin = -8192;
    m.ymax = 8191;
    m.SetMapping(plot);
    return m;
}

TEST(PlotReadout, PointUnderAColumnIsTheOneTheTraceDraws) {
    const PlotRect plot{50, 10, 248, 210};
    const PlotMapping m = Mapping(plot);
    EXPECT_EQ(PointUnderColumn(m, plot, 50, 100), 0);
    EXPECT_EQ(PointUnderColumn(m, plot, 51, 100), 0);
    EXPECT_EQ(PointUnderColumn(m, plot, 52, 100), 1);
    EXPECT_EQ(PointUnderColumn(m, plot, 247, 100), 99) << "the last column reaches the last point";
    EXPECT_EQ(PointUnderColumn(m, plot, 49, 100), std::nullopt);
    EXPECT_EQ(PointUnderColumn(m, plot, 248, 100), std::nullopt);
    EXPECT_EQ(PointUnderColumn(m, plot, 200, 60), std::nullopt) << "past a shorter wave";
}

TEST(PlotReadout, TextsOfEachComposer) {
    EXPECT_EQ(PointReadout(12, -8192, ReadoutValue::Code), "Point 12  Code -8192");
    EXPECT_EQ(PointReadout(12, 12500000, ReadoutValue::Hertz), "Point 12  12.5 MHz");
    EXPECT_EQ(PointReadout(12, 99003907, ReadoutValue::Hertz), "Point 12  99.003907 MHz");
    EXPECT_EQ(PointReadout(0, 500000000, ReadoutValue::Scale), "Point 0  500M");
    EXPECT_EQ(MarkedReadout(100, 499), "Marked 100..499 (400 points)");
    EXPECT_EQ(TrainReadout(1.5, "us", 0.25), "Time 1.5 µs  Level 250 mV");
    EXPECT_EQ(TrainReadout(2, "ms", 0.5), "Time 2 ms  Level 500 mV");
    EXPECT_EQ(TrainReadout(0.784101783841, "ms", std::nullopt), "Time 784.102 µs");
    EXPECT_EQ(TrainReadout(1500, "s", 3), "Time 1.5 ks  Level 3 V");
}

TEST(PlotReadout, TrainLevelFollowsTheDrawnLines) {
    // A DC pulse 0 V, then 0.5 V from 1 to 2, a ramp back to 0 by 4; a repeat drawn after it.
    TrainTrace trace;
    trace.lines.push_back({TracePen::Plain, 0, {{0, 0}, {1, 0}, {1, 0.5}, {2, 0.5}, {4, 0}}});
    trace.lines.push_back({TracePen::Repeat, 0, {{4, 0}, {5, 1}}});
    EXPECT_EQ(TrainLevelAt(trace, 0.5), 0.0);
    EXPECT_EQ(TrainLevelAt(trace, 1), 0.5) << "an edge reads as the level after it";
    EXPECT_EQ(TrainLevelAt(trace, 3), 0.25);
    EXPECT_EQ(TrainLevelAt(trace, 4.5), 0.5);
    EXPECT_EQ(TrainLevelAt(trace, 6), std::nullopt);
    EXPECT_EQ(TrainLevelAt(TrainTrace{}, 0), std::nullopt);
}

} // namespace
} // namespace tw
