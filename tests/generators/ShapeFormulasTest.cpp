#include "generators/ShapeFormulas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tw {
namespace {

std::vector<std::int32_t> Make(ShapeRequest& r, size_t size = 1000, std::int32_t fill = -7) {
    std::vector<std::int32_t> wave(size, fill);
    GenerateShape(wave, r);
    return wave;
}

ShapeRequest Request(Shape s, double start, double end, double min, double max,
                     std::array<double, 5> p) {
    ShapeRequest r;
    r.shape = s;
    r.start = start;
    r.end = end;
    r.min = min;
    r.max = max;
    r.p = p;
    return r;
}

TEST(ShapeFormulasTest, SineStartsAtCentrePeaksAndCrossesZeroWhereExpected) {
    auto r = Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 1});
    auto w = Make(r);
    EXPECT_EQ(w[0], 2048); // 2047.5 rounded
    EXPECT_EQ(w[250], 4095);
    EXPECT_EQ(w[500], 2048);
    EXPECT_EQ(w[750], 0);
    EXPECT_GT(w[499], 2048);
    EXPECT_LT(w[501], 2048);

    // A start phase of 90 degrees begins at the peak.
    r = Request(Shape::Sine, 0, 999, 0, 4095, {1, 90, 1});
    EXPECT_EQ(Make(r)[0], 4095);
}

// A long range is shared among the cores. Moving the start before the wave's first point makes
// a short wave, filled in one pass, show any window of it: each must hold the same points.
TEST(ShapeFormulasTest, LongRangesStoreWhatShortOnesStore) {
    constexpr std::int64_t kLong = 300000, kShort = 3000, kPiece = 1 << 16;
    for (Shape shape : {Shape::Sine, Shape::Triangle, Shape::Square, Shape::Sinc, Shape::Gaussian,
                        Shape::Exponent, Shape::Pulse}) {
        const ShapeRequest request = Request(shape, 0, kLong - 1, -8000, 8000, {7, 30, 2, 20, 10});
        ShapeRequest r = request;
        const auto whole = Make(r, kLong);
        for (std::int64_t offset :
             {std::int64_t{0}, kPiece - 1000, 2 * kPiece - 10, kLong - kShort}) {
            r = request;
            r.start = static_cast<double>(-offset);
            r.end = static_cast<double>(kLong - 1 - offset);
            const auto part = Make(r, kShort);
            EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + offset))
                << static_cast<int>(shape) << " from " << offset;
        }
    }
}

TEST(ShapeFormulasTest, SinePowerIsWholeAndAtLeastOne) {
    auto r = Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 2});
    auto w = Make(r);
    for (std::int32_t v : w)
        EXPECT_GE(v, 2047); // sin squared stays in the upper half
    EXPECT_EQ(w[750], 4095);

    r = Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 0});
    auto once = Make(r);
    EXPECT_EQ(r.p[2], 1); // written back
    auto ref = Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 1});
    EXPECT_EQ(once, Make(ref));
}

TEST(ShapeFormulasTest, RangeOnlyTouchesStartToEnd) {
    auto r = Request(Shape::Sine, 100, 199, -100, 100, {2, 0, 1});
    auto w = Make(r, 300);
    EXPECT_EQ(w[99], -7);
    EXPECT_EQ(w[200], -7);
    EXPECT_EQ(w[100], 0);        // 0.5 truncated
    EXPECT_EQ(w[100 + 12], 100); // i = 12.5 is the peak; 12 is just below
    EXPECT_EQ(w[100 + 50], 0);   // second cycle starts again at the centre

    // A range that reaches past the wave does not write outside it.
    r = Request(Shape::Square, 250, 400, 0, 10, {1, 50});
    w = Make(r, 300);
    EXPECT_EQ(w[249], -7);
    EXPECT_EQ(w[299], 10);
}

TEST(ShapeFormulasTest, TriangleBreakpoints) {
    auto r = Request(Shape::Triangle, 0, 999, 0, 4095, {1, 50, 1});
    auto w = Make(r);
    EXPECT_EQ(w[0], 2047); // centre, truncated
    EXPECT_EQ(w[125], 3071);
    EXPECT_EQ(w[250], 4095);
    EXPECT_EQ(w[500], 2047);
    EXPECT_EQ(w[750], 0);
    EXPECT_EQ(w[999], 2039);

    // 100 %: a rise over half a period, a jump to the bottom, a rise back to the centre.
    r = Request(Shape::Triangle, 0, 999, 0, 4095, {1, 100, 1});
    w = Make(r);
    EXPECT_EQ(w[250], 3071);
    EXPECT_EQ(w[500], 4095);
    EXPECT_EQ(w[501], 4);
    EXPECT_EQ(w[750], 1023);
}

TEST(ShapeFormulasTest, SquareDutyCycle) {
    auto r = Request(Shape::Square, 0, 999, -50, 50, {2, 50});
    auto w = Make(r);
    EXPECT_EQ(w[0], 50);
    EXPECT_EQ(w[249], 50);
    EXPECT_EQ(w[250], -50);
    EXPECT_EQ(w[499], -50);
    EXPECT_EQ(w[500], 50);
}

TEST(ShapeFormulasTest, PulseEdgesAndDurations) {
    // Delay 10 %, no rise, high 40 %, no fall over a 100-point period: vertical edges.
    auto r = Request(Shape::Pulse, 0, 99, 0, 1000, {1, 10, 0, 40, 0});
    auto w = Make(r, 100);
    EXPECT_EQ(w[10], 0);
    EXPECT_EQ(w[11], 1000);
    EXPECT_EQ(w[50], 1000);
    EXPECT_EQ(w[51], 0);
    EXPECT_EQ(r.p[1], 10); // percentages come back as durations in points
    EXPECT_EQ(r.p[3], 40);

    // With rise and fall times the edges are ramps.
    r = Request(Shape::Pulse, 0, 199, 0, 1000, {1, 10, 10, 20, 20});
    w = Make(r, 200);
    EXPECT_EQ(w[20], 0);
    EXPECT_EQ(w[30], 500);
    EXPECT_EQ(w[40], 1000);
    EXPECT_EQ(w[80], 1000);
    EXPECT_EQ(w[100], 500);
    EXPECT_EQ(w[120], 0);
}

TEST(ShapeFormulasTest, ExponentRiseDecayAndInvert) {
    auto r = Request(Shape::Exponent, 0, 999, 0, 1000, {1, -100, 0});
    auto w = Make(r);
    EXPECT_EQ(w[0], 1000); // decays from Max toward Min
    EXPECT_LT(w[500], 10);
    EXPECT_GE(w[999], 0);

    r = Request(Shape::Exponent, 0, 999, 0, 1000, {1, 100, 0});
    w = Make(r);
    EXPECT_EQ(w[0], 0); // grows from Min and is clipped at Max
    EXPECT_EQ(w[999], 1000);

    r = Request(Shape::Exponent, 0, 999, 0, 1000, {1, 100, 1});
    w = Make(r);
    EXPECT_EQ(w[0], 1000);
    EXPECT_EQ(w[999], 0);
}

TEST(ShapeFormulasTest, SincAndGaussianPeakInTheMiddleOfThePeriod) {
    auto r = Request(Shape::Sinc, 0, 999, -1000, 1000, {1, 10});
    auto w = Make(r);
    EXPECT_EQ(w[500], 1000);
    EXPECT_EQ(w[0], 0);     // x = -5 pi: a zero crossing at the period start
    EXPECT_EQ(w[550], 636); // x = pi / 2: 1000 * 2 / pi
    EXPECT_EQ(w[600], 0);   // x = pi
    r = Request(Shape::Gaussian, 0, 999, 0, 1000, {1, 100});
    w = Make(r);
    EXPECT_EQ(w[500], 1000);
    EXPECT_EQ(w[600], 367); // 1000 / e
    EXPECT_EQ(w[0], 0);
}

TEST(ShapeFormulasTest, NoiseStaysInRangeAndRepeatsWithItsSeed) {
    auto r = Request(Shape::Noise, 0, 999, 100, 200, {});
    r.noiseSeed = 42;
    auto a = Make(r);
    auto b = Make(r);
    EXPECT_EQ(a, b);
    for (std::int32_t v : a) {
        EXPECT_GE(v, 100);
        EXPECT_LE(v, 200);
    }
}

} // namespace
} // namespace tw
