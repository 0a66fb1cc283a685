#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

const WindowRect kScreen{0, 0, 1920, 1080};

TEST(WindowPlacement, BesideTheMainWindowRightThenLeft) {
    EXPECT_EQ(PlaceBeside({100, 50, 1024, 700}, 120, kScreen, 460, 520),
              (WindowRect{1124, 50, 460, 520}));
    EXPECT_EQ(PlaceBeside({800, 50, 1024, 700}, 120, kScreen, 460, 520),
              (WindowRect{340, 50, 460, 520}));
    // Low on the screen: moved up rather than cut off.
    EXPECT_EQ(PlaceBeside({100, 900, 600, 170}, 960, kScreen, 460, 520),
              (WindowRect{700, 560, 460, 520}));
}

TEST(WindowPlacement, NoRoomBesideKeepsClearOfTheMenuAndBars) {
    const WindowRect placed = PlaceBeside({0, 0, 1920, 1050}, 130, kScreen, 460, 520);
    EXPECT_EQ(placed, (WindowRect{1460, 130, 460, 520}));
    const WindowRect tall = PlaceBeside({0, 0, 1920, 1050}, 700, kScreen, 460, 520);
    EXPECT_EQ(tall.top, 700);
    EXPECT_EQ(tall.bottom(), 1080) << "shortened where the screen ends";
}

TEST(WindowPlacement, RememberedRectangleIsHeldOnTheScreen) {
    EXPECT_EQ(HoldOnScreen({3000, -40, 460, 520}, kScreen), (WindowRect{1460, 0, 460, 520}));
    EXPECT_EQ(HoldOnScreen({-10, 10, 4000, 3000}, kScreen), (WindowRect{0, 0, 1920, 1080}));
    const WindowRect second{1920, 0, 1280, 1024};
    EXPECT_EQ(HoldOnScreen({2000, 100, 460, 520}, second), (WindowRect{2000, 100, 460, 520}));
}

} // namespace
} // namespace tw
