#include "view/DrawingTools.h"

#include <gtest/gtest.h>

#include <vector>

namespace tw {
namespace {

// 10 pixels per point over 0 .. 10, one value unit per pixel (0 at the bottom row 100).
struct Canvas {
    PlotRect plot{0, 0, 100, 100};
    PlotMapping mapping;
    std::vector<std::int32_t> wave = std::vector<std::int32_t>(11, -1);
    Canvas() {
        mapping.xmax = 10;
        mapping.ymax = 100;
        mapping.SetMapping(plot);
    }
};

TEST(WriteSegment, WritesTheLineBetweenTwoPointsInEitherOrder) {
    Canvas c;
    const SegmentWrite w = WriteSegment(c.mapping, c.plot, c.wave, {80, 20}, {20, 80}, false);
    ASSERT_TRUE(w.changed);
    EXPECT_EQ(w.first, 2);
    EXPECT_EQ(w.last, 8);
    EXPECT_EQ(c.wave, (std::vector<std::int32_t>{-1, -1, 20, 30, 40, 50, 60, 70, 80, -1, -1}));
    EXPECT_EQ(w.stripLeft, 18);
    EXPECT_EQ(w.stripRight, 82);
    // Within one point nothing is written.
    EXPECT_FALSE(WriteSegment(c.mapping, c.plot, c.wave, {31, 0}, {34, 99}, true).changed);
    EXPECT_EQ(c.wave[3], 30);
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
    EXPECT_TRUE(tools.LeftDown({40, 10}, c.mapping, c.plot, c.wave).changed);
    EXPECT_TRUE(tools.LeftDown({100, 70}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(c.wave, (std::vector<std::int32_t>{50, 60, 70, 80, 90, 80, 70, 60, 50, 40, 30}));
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
    EXPECT_TRUE(tools.Move({30, 40}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(c.wave[2], 50);
    EXPECT_EQ(c.wave[3], 60);
    EXPECT_TRUE(tools.LeftUp());
    EXPECT_FALSE(tools.Move({60, 40}, c.mapping, c.plot, c.wave).changed);
    EXPECT_EQ(HoldInPlot({-5, 130}, c.plot), (PixelPoint{0, 100}));
}

} // namespace
} // namespace tw
