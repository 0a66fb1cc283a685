#include "view/DrawingTools.h"

#include "support/SampleValues.h"

#include <gtest/gtest.h>

#include <vector>

namespace tw {
namespace {

using test::Values;
using Wave = std::vector<std::int32_t>;

// 10 pixels per point over 0 .. 10, one value unit per pixel (0 at the bottom row 100).
struct Canvas {
    PlotRect plot{0, 0, 100, 100};
    PlotMapping mapping;
    Samples wave;
    Canvas() {
        mapping.xmax = 10;
        mapping.ymax = 100;
        mapping.SetMapping(plot);
        wave.Assign(11, -1);
        wave.TakePending();
    }
};

TEST(WriteSegment, WritesTheLineBetweenTwoPointsInEitherOrder) {
    Canvas c;
    Wave wave(11, -1);
    const SegmentWrite w = PlanSegment(c.mapping, c.plot, wave.size(), {80, 20}, {20, 80}, false);
    ASSERT_TRUE(w.changed);
    EXPECT_EQ(w.first, 2);
    EXPECT_EQ(w.last, 8);
    WriteSegment(wave, w);
    EXPECT_EQ(wave, (Wave{-1, -1, 20, 30, 40, 50, 60, 70, 80, -1, -1}));
    EXPECT_EQ(w.stripLeft, 18);
    EXPECT_EQ(w.stripRight, 82);
    // Within one point nothing is written.
    EXPECT_FALSE(PlanSegment(c.mapping, c.plot, wave.size(), {31, 0}, {34, 99}, true).changed);
    // Points past the wave are never written.
    const SegmentWrite past = PlanSegment(c.mapping, c.plot, 5, {20, 80}, {80, 20}, false);
    EXPECT_EQ(past.last, 4);
}

TEST(DrawingTools, AutolineClicksWriteSegmentsAndTheRightButtonEnds) {
    Canvas c;
    DrawingTools tools;
    tools.Start(DrawingTools::Mode::Autoline);
    EXPECT_FALSE(tools.toolsAllowed());
    EXPECT_FALSE(tools.CanStartSketch());
    EXPECT_FALSE(tools.LeftDown({0, 100}, c.mapping, c.plot, c.wave).changed); // first vertex
    EXPECT_TRUE(tools.hasVertex());
    // A second click at the same x writes nothing but moves the vertex.
    EXPECT_FALSE(tools.LeftDown({0, 50}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(tools.lastVertex(), (PixelPoint{0, 50}));
    EXPECT_FALSE(c.wave.pending());
    // Each segment names its points; the marks merge until the commit takes them.
    EXPECT_TRUE(tools.LeftDown({40, 10}, c.mapping, c.plot, c.wave).changed);
    ASSERT_TRUE(c.wave.pending());
    EXPECT_EQ(c.wave.pending()->first, 0u);
    EXPECT_EQ(c.wave.pending()->last, 4u);
    EXPECT_TRUE(tools.LeftDown({100, 70}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(c.wave.pending()->last, 10u);
    EXPECT_FALSE(c.wave.pending()->length);
    EXPECT_EQ(Values(c.wave), (Wave{50, 60, 70, 80, 90, 80, 70, 60, 50, 40, 30}));
    EXPECT_TRUE(tools.End());
    EXPECT_TRUE(tools.toolsAllowed());
    EXPECT_FALSE(tools.hasVertex());
    EXPECT_FALSE(tools.End());
}

TEST(DrawingTools, SketchAccumulatesSmallMovesUntilTheNextPoint) {
    Canvas c;
    DrawingTools tools;
    tools.Start(DrawingTools::Mode::Sketch);
    EXPECT_FALSE(tools.Move({30, 30}, c.mapping, c.plot, c.wave).changed); // button up
    tools.LeftDown({20, 50}, c.mapping, c.plot, c.wave);
    EXPECT_FALSE(tools.Move({23, 40}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(tools.lastVertex(), (PixelPoint{20, 50}));
    EXPECT_FALSE(c.wave.pending());
    EXPECT_TRUE(tools.Move({30, 40}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(c.wave.at(2), 50);
    EXPECT_EQ(c.wave.at(3), 60);
    ASSERT_TRUE(c.wave.pending());
    EXPECT_EQ(c.wave.pending()->first, 2u);
    EXPECT_EQ(c.wave.pending()->last, 3u);
    EXPECT_TRUE(tools.LeftUp());
    EXPECT_FALSE(tools.Move({60, 40}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(HoldInPlot({-5, 130}, c.plot), (PixelPoint{0, 100}));
}

} // namespace
} // namespace tw
