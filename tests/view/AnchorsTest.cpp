#include "view/Anchors.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

struct Plot {
    PlotRect rect{100, 50, 1100, 450}; // 1000 pixels over 0 .. 999: one pixel per point
    PlotMapping mapping;
    Anchors anchors;
    Plot() {
        mapping.xmin = 0;
        mapping.xmax = 999;
        mapping.ymin = -100;
        mapping.ymax = 100;
        mapping.SetMapping(rect);
        anchors.SetRanges(mapping.xmin, mapping.xmax);
        anchors.Unmark(mapping.xmin, mapping.xmax);
    }
};

TEST(Anchors, LabelsNeverCrossAndEntriesKeepToTheirRanges) {
    Plot p;
    p.anchors.SetLeft(200);
    p.anchors.SetRight(300);
    EXPECT_EQ(p.anchors.right.min, 201);
    long v = -1;
    EXPECT_TRUE(ParseAnchorEntry("299", p.anchors.left, v));
    EXPECT_EQ(v, 299);
    EXPECT_FALSE(ParseAnchorEntry("300", p.anchors.left, v));
    EXPECT_FALSE(ParseAnchorEntry("2a", p.anchors.left, v));
    EXPECT_FALSE(ParseAnchorEntry("-5", p.anchors.left, v));
    EXPECT_FALSE(ParseAnchorEntry("99999999999999999999", p.anchors.right, v));
    EXPECT_TRUE(ParseAnchorEntry("", p.anchors.left, v)); // empty counts as 0
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(ParseAnchorEntry("", p.anchors.right, v)); // "Bad:" shows in WeditVwTest
}

TEST(Anchors, ZoomInThenOutRestoresTheRangeAndKeepsTheAnchorsAndZoomToKeepsARange) {
    Plot p;
    EXPECT_FALSE(CanZoomIn(p.anchors, p.mapping)); // anchors on the range's ends
    EXPECT_FALSE(CanZoomOut(p.mapping, 1000));
    p.anchors.SetLeft(200);
    p.anchors.SetRight(300);
    ASSERT_TRUE(CanZoomIn(p.anchors, p.mapping));
    ZoomIn(p.anchors, p.mapping);
    EXPECT_EQ(p.mapping.xmin, 200);
    EXPECT_EQ(p.mapping.xmax, 300);
    EXPECT_EQ(p.anchors.left.min, 200);
    EXPECT_EQ(p.anchors.right.max, 300);
    EXPECT_FALSE(CanZoomIn(p.anchors, p.mapping));
    EXPECT_TRUE(CanZoomOut(p.mapping, 1000));
    p.anchors.SetLeft(250);
    ZoomOut(p.anchors, p.mapping, 1000);
    EXPECT_EQ(p.mapping.xmin, 0);
    EXPECT_EQ(p.mapping.xmax, 999);
    EXPECT_EQ(p.anchors.L(), 250);
    EXPECT_EQ(p.anchors.R(), 300);
    EXPECT_EQ(p.anchors.right.max, 999);

    // The map window's range never starts below zero or collapses.
    Plot map;
    ZoomTo(map.anchors, map.mapping, -7, 40);
    EXPECT_EQ(map.mapping.xmin, 0);
    EXPECT_EQ(map.anchors.R(), 40);
    ZoomTo(map.anchors, map.mapping, 50, 50);
    EXPECT_LT(map.mapping.xmin, map.mapping.xmax);
}

TEST(AnchorDrag, StopsAtTheRangeEndsAndFifteenPixelsBeforeTheOtherHandleAndInsideTheLabel) {
    Plot p;
    p.anchors.SetLeft(400);
    p.anchors.SetRight(600);
    const int leftPx = p.mapping.XToPixel(400);
    const int rightPx = p.mapping.XToPixel(600);
    // Grab the left handle 3 pixels left of its edge.
    AnchorDrag drag = AnchorDrag::Start(0, leftPx, leftPx - 3, 20, p.mapping, rightPx);
    AnchorDrag::Step s = drag.Move(leftPx - 3 - 2000, 20, p.mapping, p.anchors.left);
    ASSERT_TRUE(s.moved);
    EXPECT_TRUE(s.warpCursor);
    EXPECT_EQ(s.value, 0);
    EXPECT_EQ(s.anchorX, p.rect.left);
    // Toward the right handle: follows up to 16 pixels short of it, then stays.
    s = drag.Move(rightPx - 16 - 3, 21, p.mapping, p.anchors.left);
    ASSERT_TRUE(s.moved);
    EXPECT_FALSE(s.warpCursor);
    EXPECT_EQ(s.value, static_cast<long>(p.mapping.PixelToX(rightPx - 16)));
    s = drag.Move(rightPx - 15 - 3, 21, p.mapping, p.anchors.left);
    EXPECT_FALSE(s.moved);
    s = drag.Move(rightPx + 50, 21, p.mapping, p.anchors.left);
    EXPECT_FALSE(s.moved);
    // Leaving the starting row by 5 pixels puts the cursor back on it.
    s = drag.Move(leftPx, 25, p.mapping, p.anchors.left);
    EXPECT_TRUE(s.warpCursor);

    // The right handle stops at xmax.
    AnchorDrag right = AnchorDrag::Start(1, rightPx, rightPx + 2, 20, p.mapping, leftPx);
    s = right.Move(5000, 20, p.mapping, p.anchors.right);
    ASSERT_TRUE(s.moved);
    EXPECT_EQ(s.value, 999);

    // Zoomed in to about 333 pixels per point, the values stay inside the label's range.
    Plot z;
    z.anchors.SetLeft(10);
    z.anchors.SetRight(13);
    ZoomIn(z.anchors, z.mapping);
    AnchorDrag zoomed = AnchorDrag::Start(0, z.mapping.XToPixel(10), z.mapping.XToPixel(10), 0,
                                          z.mapping, z.mapping.XToPixel(13));
    for (int x = 0; x < 1200; x += 7) {
        s = zoomed.Move(x, 0, z.mapping, z.anchors.left);
        if (s.moved) {
            EXPECT_GE(s.value, 10);
            EXPECT_LE(s.value, 12);
        }
    }
}

} // namespace
} // namespace tw
