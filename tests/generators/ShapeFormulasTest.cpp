#include "MemoryTarget.h"

#include "generators/ShapeFormulas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
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

// Each shape as recorded, where a slip in its formula shows in peaks, crossings, breakpoints and
// edges; the points outside start..end keep the fill.
TEST(ShapeFormulasTest, EachShapeIsTheRecordedWave) {
    const struct {
        const char* name; // of its file in tests/data/generators
        ShapeRequest request;
        std::size_t size;
    } rows[] = {
        // 2047.5 rounded at the centre: 2048 at 0 and 500.
        {"sine", Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 1}), 1000},
        // 0.5 truncated at the start, the peak between 12 and 13.
        {"sine-part", Request(Shape::Sine, 100, 199, -100, 100, {2, 0, 1}), 300},
        // sin squared: the upper half only, the top at 250 and 750.
        {"sine-squared", Request(Shape::Sine, 0, 999, 0, 4095, {1, 0, 2}), 1000},
        {"square-past-end", Request(Shape::Square, 250, 400, 0, 10, {1, 50}), 300},
        {"triangle-50", Request(Shape::Triangle, 0, 999, 0, 4095, {1, 50, 1}), 1000},
        // A rise over half a period, a jump to the bottom, a rise back to the centre.
        {"triangle-100", Request(Shape::Triangle, 0, 999, 0, 4095, {1, 100, 1}), 1000},
        {"square", Request(Shape::Square, 0, 999, -50, 50, {2, 50}), 1000},
        // Delay 10 %, no rise, high 40 %, no fall: vertical edges at 11 and 51.
        {"pulse", Request(Shape::Pulse, 0, 99, 0, 1000, {1, 10, 0, 40, 0}), 100},
        {"pulse-ramps", Request(Shape::Pulse, 0, 199, 0, 1000, {1, 10, 10, 20, 20}), 200},
        {"exponent-decaying", Request(Shape::Exponent, 0, 999, 0, 1000, {1, -100, 0}), 1000},
        {"exponent-growing-clipped", Request(Shape::Exponent, 0, 999, 0, 1000, {1, 100, 0}), 1000},
        // x = -5 pi at the period start, pi / 2 (1000 * 2 / pi) at 550, pi at 600.
        {"sinc", Request(Shape::Sinc, 0, 999, -1000, 1000, {1, 10}), 1000},
        {"gaussian", Request(Shape::Gaussian, 0, 999, 0, 1000, {1, 100}), 1000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ShapeRequest r = row.request;
        const auto w = Make(r, row.size);
        EXPECT_EQ(w, test::Recorded(std::string("shape-") + row.name + ".wav"));
    }
    // The pulse's percentages come back as durations in points.
    ShapeRequest pulse = rows[7].request;
    Make(pulse, 100);
    EXPECT_EQ(pulse.p[1], 10);
    EXPECT_EQ(pulse.p[3], 40);
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
