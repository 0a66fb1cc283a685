#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

const WindowRect kScreen{0, 0, 1920, 1080};

TEST(WindowPlacement, BesideTheMainWindowRightThenLeftElseClearOfTheMenuAndBars) {
    const struct {
        WindowRect main;
        int barsBottom;
        WindowRect placed;
    } cases[] = {
        {{100, 50, 1024, 700}, 120, {1124, 50, 460, 520}},
        {{800, 50, 1024, 700}, 120, {340, 50, 460, 520}},
        {{100, 900, 600, 170}, 960, {700, 560, 460, 520}}, // moved up rather than cut off
        {{0, 0, 1920, 1050}, 130, {1460, 130, 460, 520}},  // no room beside
        {{0, 0, 1920, 1050}, 700, {1460, 700, 460, 380}},  // shortened where the screen ends
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.main.left + c.barsBottom);
        EXPECT_EQ(PlaceBeside(c.main, c.barsBottom, kScreen, 460, 520), c.placed);
    }
}

TEST(WindowPlacement, RememberedRectangleIsHeldOnTheScreen) {
    EXPECT_EQ(HoldOnScreen({3000, -40, 460, 520}, kScreen), (WindowRect{1460, 0, 460, 520}));
    EXPECT_EQ(HoldOnScreen({-10, 10, 4000, 3000}, kScreen), (WindowRect{0, 0, 1920, 1080}));
    const WindowRect second{1920, 0, 1280, 1024};
    EXPECT_EQ(HoldOnScreen({2000, 100, 460, 520}, second), (WindowRect{2000, 100, 460, 520}));

    // With its decorations: the title bar comes onto the screen too, and the whole frame fits.
    const FrameMargins frame{4, 28, 4, 4};
    const WindowRect small{0, 0, 1024, 700};
    EXPECT_EQ(HoldFrameOnScreen({100, 0, 600, 400}, frame, small), (WindowRect{100, 28, 600, 400}));
    EXPECT_EQ(HoldFrameOnScreen({100, 0, 1024, 700}, frame, small), (WindowRect{4, 28, 1016, 668}));
    // Twice the scale: 2048x1400 pixels on 1920x1080 are 1024x700 on 960x540.
    EXPECT_EQ(HoldFrameOnScreen({0, 0, 1024, 700}, {2, 14, 2, 2}, {0, 0, 960, 540}),
              (WindowRect{2, 14, 956, 524}));
}

} // namespace
} // namespace tw
