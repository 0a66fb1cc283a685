#include "view/PlotMapping.h"
#include "view/PlotReadout.h"
#include "view/TraceColumns.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace tw {
namespace {

PlotMapping WholeWave(double points, double vmin, double vmax, PlotRect r) {
    PlotMapping m;
    m.xmin = 0;
    m.xmax = points - 1;
    m.ymin = vmin;
    m.ymax = vmax;
    m.secondSpan = vmax - vmin;
    m.SetMapping(r);
    return m;
}

TEST(PlotMapping, RangeEndsLandOnThePlotEdgesAndMapBack) {
    const PlotRect r{50, 30, 850, 430};
    const PlotMapping m = WholeWave(1001, -8192, 8191, r);
    EXPECT_EQ(m.XToPixel(0), 50);
    EXPECT_EQ(m.XToPixel(1000), 850);
    EXPECT_EQ(m.YToPixel(-8192), 430);
    EXPECT_EQ(m.YToPixel(8191), 30);
    EXPECT_DOUBLE_EQ(m.PixelToX(450), 500);
    // Second mapping: half the instrument span either side of zero.
    EXPECT_EQ(m.Y2ToPixel(-8191.5), 430);
    EXPECT_EQ(m.Y2ToPixel(8191.5), 30);
    // Mouse points round to the nearest index; negative values truncate toward zero.
    EXPECT_EQ(m.PixelToIndex(451), 501);
    EXPECT_EQ(m.PixelToValue(430), -8191);

    // The FM second mapping spans 0 .. 10^9.
    PlotMapping fm;
    fm.fm = true;
    fm.xmax = 99;
    fm.ymin = 0;
    fm.ymax = 1000;
    fm.SetMapping({0, 0, 100, 200});
    EXPECT_EQ(fm.Y2ToPixel(0), 200);
    EXPECT_EQ(fm.Y2ToPixel(1.0e9), 0);
    fm.fmAbstract = true;
    EXPECT_DOUBLE_EQ(fm.PixelToY(100), 5.0e8);
}

TEST(PlotMapping, DegenerateInputLeavesThePreviousMapping) {
    const PlotRect r{50, 30, 850, 430};
    PlotMapping m = WholeWave(1001, -8192, 8191, r);
    const PlotMapping before = m;
    m.SetMapping({50, 30, 850, 30}); // zero height
    EXPECT_EQ(m.xScale, before.xScale);
    EXPECT_EQ(m.yOffset, before.yOffset);
    m.xmax = m.xmin; // empty horizontal range: nothing at all changes
    m.ymin = 0;
    m.ymax = 10;
    m.SetMapping({0, 0, 100, 100});
    EXPECT_EQ(m.xOffset, before.xOffset);
    EXPECT_EQ(m.yScale, before.yScale);
    // An empty vertical range still sets x but keeps y.
    m.xmax = 99;
    m.ymax = m.ymin;
    m.SetMapping({0, 0, 100, 100});
    EXPECT_DOUBLE_EQ(m.xScale, 100.0 / 99);
    EXPECT_EQ(m.yScale, before.yScale);
}

TEST(TraceColumns, OneSamplePerColumnClampedToThePlot) {
    std::vector<std::int32_t> wave(10);
    for (int i = 0; i < 10; ++i)
        wave[i] = i * 100;
    wave[3] = 5000;  // above the plot
    wave[4] = -5000; // below
    const PlotRect r{10, 0, 30, 100};
    const PlotMapping m = WholeWave(10, 0, 1000, r);
    const TraceColumns c = ComputeTraceColumns(m, r, wave, 10, {});
    ASSERT_EQ(c.index.size(), 20u);
    EXPECT_EQ(c.index.front(), 0);
    EXPECT_EQ(c.index.back(), 9); // the last column, half a point further right, reaches it
    for (std::size_t j = 0; j < c.index.size(); ++j) {
        if (c.index[j] == 3)
            EXPECT_EQ(c.y[j], 0);
        else if (c.index[j] == 4)
            EXPECT_EQ(c.y[j], 100);
        else
            EXPECT_EQ(c.y[j], m.YToPixel(wave[c.index[j]]));
    }
    // Zoomed past the wave's end, the trace stops at the last sample.
    PlotMapping zoomed = m;
    zoomed.xmin = 5;
    zoomed.xmax = 14;
    zoomed.SetMapping(r);
    const TraceColumns z = ComputeTraceColumns(zoomed, r, wave, 10, {});
    ASSERT_EQ(z.index.size(), 12u);
    EXPECT_EQ(z.index.back(), 9);
    EXPECT_TRUE(ComputeTraceColumns(m, r, {}, 10, {}).index.empty());
}

// Each column spans its points through the next column's sample, so every point of the visible
// range lies in a span and the spans join, zoomed out or in, with the marker bits left out and
// through either vertical mapping. The columns are recorded in tests/data/view/peak-columns.txt,
// a line per column: second mapping, first and last point shown, index, top and bottom row.
TEST(TraceColumns, PeakColumnsSpanEveryVisiblePoint) {
    const PlotRect r{10, 0, 110, 200};
    Samples s;
    std::vector<std::int32_t> wave(10000);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = static_cast<std::int32_t>((i * 7919) % 16000) - 8000 + (i % 5 ? 0 : 0x3000);
    s.Assign(wave);
    const MarkerBitMask mask{true, 12, 13, 8192};
    std::vector<std::string> columns;
    for (bool second : {false, true})
        for (auto [first, last] :
             {std::pair{0, 9999}, std::pair{5000, 5009}, std::pair{17, 9000}}) {
            PlotMapping m = WholeWave(10000, -8192, 8191, r);
            m.xmin = first;
            m.xmax = last;
            m.SetMapping(r);
            const TraceColumns c = ComputePeakColumns(m, r, s, mask, second);
            ASSERT_EQ(c.top.size(), c.index.size());
            for (std::size_t j = 0; j < c.index.size(); ++j) {
                std::ostringstream column;
                column << second << ' ' << first << ' ' << last << ' ' << c.index[j] << ' '
                       << c.top[j] << ' ' << c.bottom[j];
                columns.push_back(column.str());
            }
        }
    std::ifstream in(std::string(TW_TEST_DATA_DIR) + "/view/peak-columns.txt");
    std::vector<std::string> recorded;
    for (std::string line; std::getline(in, line);)
        recorded.push_back(line);
    ASSERT_EQ(columns.size(), recorded.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(columns[i], recorded[i]);
}

TEST(PlotReadout, PointUnderAColumnIsTheOneTheTraceDraws) {
    // 100 points over a 200-pixel plot starting at pixel 50: two pixels a point.
    const PlotRect plot{50, 10, 248, 210};
    const PlotMapping m = WholeWave(100, -8192, 8191, plot);
    EXPECT_EQ(PointUnderColumn(m, plot, 50, 100), 0);
    EXPECT_EQ(PointUnderColumn(m, plot, 51, 100), 0);
    EXPECT_EQ(PointUnderColumn(m, plot, 52, 100), 1);
    EXPECT_EQ(PointUnderColumn(m, plot, 247, 100), 99) << "the last column reaches the last point";
    EXPECT_EQ(PointUnderColumn(m, plot, 49, 100), std::nullopt);
    EXPECT_EQ(PointUnderColumn(m, plot, 248, 100), std::nullopt);
    EXPECT_EQ(PointUnderColumn(m, plot, 200, 60), std::nullopt) << "past a shorter wave";
}

// The other texts are ReadoutGuiTest's, as the status bar shows them.
TEST(PlotReadout, TextsOfEachComposer) {
    EXPECT_EQ(PointReadout(12, 99003907, ReadoutValue::Hertz), "Point 12  99.003907 MHz");
    EXPECT_EQ(TrainReadout(1.5, "us", 0.25), "Time 1.5 µs  Level 250 mV");
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
