#include "view/MarkedAreaOps.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tw {
namespace {

using Wave = std::vector<std::int32_t>;

Wave Ramp(int n, int step = 10) {
    Wave w(n);
    for (int i = 0; i < n; ++i)
        w[i] = i * step;
    return w;
}

TEST(FilterArea, SeedsWithTheCentredSumOverNRunsTheRecursionAndNeedsFifteenPoints) {
    Wave w(50, 0);
    w[9] = 30;
    w[10] = 60;
    w[11] = 90;
    w[12] = 100;
    w[13] = 101;
    // Anchors 30 points apart: N = 2, h = 1, the seed is three samples over 2.
    ASSERT_TRUE(FilterArea(w, 10, 40, 49));
    EXPECT_EQ(w[10], (30 + 60 + 90) / 2);
    EXPECT_EQ(w[11], 90 + 0); // d = 90 - 90 = 0
    EXPECT_EQ(w[12], 90 + (100 - 90) / 2);
    EXPECT_EQ(w[13], 95 + (101 - 95) / 2);
    EXPECT_EQ(w[9], 30); // outside stays
    Wave flat(40, 7);
    flat[30] = 1234;
    FilterArea(flat, 0, 30, 39);
    EXPECT_EQ(flat[30], 1234); // the sample at R is left alone

    // Near the start the seed wraps to indices + xmax; nothing outside the wave is read.
    Wave start = Ramp(100);
    ASSERT_TRUE(FilterArea(start, 0, 90, 99)); // N = 6, h = 3
    EXPECT_EQ(start[0], (960 + 970 + 980 + 0 + 10 + 20 + 30) / 6);

    // Anchors closer than fifteen points, or past the wave, change nothing.
    const Wave before = start;
    EXPECT_FALSE(FilterArea(start, 5, 19, 99));
    EXPECT_FALSE(FilterArea(start, 5, 140, 99));
    EXPECT_EQ(start, before);
}

TEST(SmoothArea, RewritesLThroughRPlusOneAndNothingOutside) {
    Wave w = Ramp(30);
    w[15] = 5000; // a spike inside the area
    ASSERT_TRUE(SmoothArea(w, 10, 20, {-10000, 10000}));
    EXPECT_EQ(w, Ramp(30));

    Wave bump(30, 0);
    for (int i = 10; i <= 21; ++i)
        bump[i] = 1000; // flat top with both edges at 1000
    bump[9] = 0;
    bump[22] = 0;
    Wave shaped = bump;
    ASSERT_TRUE(SmoothArea(shaped, 5, 14, {-100000, 100000})); // n = 10: rewrites 5 .. 15
    // The cubic passes through both edges (up to truncation).
    EXPECT_EQ(shaped[5], bump[5]);
    EXPECT_NEAR(shaped[6], bump[6], 1);
    EXPECT_NEAR(shaped[14], bump[14], 1);
    EXPECT_NEAR(shaped[15], bump[15], 1);
    EXPECT_NE(shaped[9], bump[9]);
    EXPECT_EQ(shaped[16], bump[16]);
    EXPECT_EQ(shaped[4], bump[4]);

    Wave clamped = bump;
    SmoothArea(clamped, 5, 14, {0, 500});
    EXPECT_EQ(clamped[14], 500);

    // Adjacent anchors write nothing.
    Wave adjacent = Ramp(20);
    adjacent[5] = 999;
    const Wave before = adjacent;
    EXPECT_FALSE(SmoothArea(adjacent, 4, 5, {-1e6, 1e6}));
    EXPECT_EQ(adjacent, before);
    EXPECT_FALSE(SmoothArea(adjacent, 4, 4, {-1e6, 1e6}));

    // R on the last point: the sample at R stands for the one after it.
    std::vector<std::int32_t> storage(21, 0);
    for (int i = 0; i < 20; ++i)
        storage[i] = i * i;
    storage[20] = -77; // guard past the wave
    std::span<std::int32_t> wave(storage.data(), 20);
    ASSERT_TRUE(SmoothArea(wave, 10, 19, {-1e6, 1e6}));
    EXPECT_EQ(storage[20], -77);
    EXPECT_NEAR(storage[19], 19 * 19, 1);
    EXPECT_EQ(storage[10], 100);
}

TEST(InvertArea, MirrorsAndRestoresUnlessClamped) {
    Wave w{-8192, -100, 0, 8191, 77};
    const Wave before = w;
    const SampleLimits limits{-8192, 8191};
    ASSERT_TRUE(InvertArea(w, 1, 3, InvertMirror::AboutZero, 0, limits));
    EXPECT_EQ(w, (Wave{-8192, 100, 0, -8191, 77}));
    InvertArea(w, 1, 3, InvertMirror::AboutZero, 0, limits);
    EXPECT_EQ(w, before);
    InvertArea(w, 0, 0, InvertMirror::AboutZero, 0, limits);
    EXPECT_EQ(w, before); // a single point is not inverted
    InvertArea(w, 0, 1, InvertMirror::AboutZero, 0, limits);
    EXPECT_EQ(w[0], 8191); // -(-8192) is clamped

    Wave fm{100, 400'000'000};
    InvertArea(fm, 0, 1, InvertMirror::FmAbstract, 0, {0, 1e9});
    EXPECT_EQ(fm, (Wave{999'999'900, 600'000'000}));
    InvertArea(fm, 0, 1, InvertMirror::AboutCentre, 5e8, {0, 1e9});
    EXPECT_EQ(fm, (Wave{100, 400'000'000}));
}

TEST(AreaCommandsEnabled, TrimsNeedPointsBeyondTheAnchorsTheOthersNoDrawing) {
    AreaCommandState s = AreaCommandsEnabled(true, 0, 9, 10);
    EXPECT_FALSE(s.trimLeft);
    EXPECT_FALSE(s.trimRight);
    EXPECT_TRUE(s.filter && s.smooth && s.invert && s.unmark);
    s = AreaCommandsEnabled(false, 1, 8, 10);
    EXPECT_TRUE(s.trimLeft);
    EXPECT_TRUE(s.trimRight);
    EXPECT_FALSE(s.filter || s.smooth || s.invert || s.unmark);
}

} // namespace
} // namespace tw
