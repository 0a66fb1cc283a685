#include "ExprTestSupport.h"

#include "expr/ExprRange.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

class ExprRangeTest : public ::testing::Test {
  protected:
    test::ExprSandbox box;
    ExprParser parser;
    std::vector<std::int32_t> points = std::vector<std::int32_t>(20, -1);
    ExprRangeTest() { parser.waveFolder = box.waves; }

    bool Run(const std::string& formula, ExprRange range) {
        return Show(box.prompts, EvaluateOverRange(parser, formula, formula, range, points));
    }
};

TEST_F(ExprRangeTest, PassesStoreOnlyInsideTheRangeTruncatedOrStretchedToTheSpan) {
    // amp: the span scaled by k, truncated, then halved (201 * 0.5 = 100.5 gives 50).
    ASSERT_TRUE(Run("p*1.5-3", {.start = 4, .end = 9, .lo = -100, .hi = 101, .k = 0.5}));
    EXPECT_EQ(parser.per, 6);
    EXPECT_EQ(parser.amp, 50);
    std::vector<std::int32_t> expected(20, -1);
    for (int i = 4; i <= 9; ++i)
        expected[i] = static_cast<std::int32_t>((i - 4) * 1.5 - 3); // toward zero: -1.5 gives -1
    EXPECT_EQ(points, expected);
    EXPECT_EQ(points[5], -1);

    // The document's code range bounds what is stored.
    ASSERT_TRUE(Run("p*1000-2000", {.start = 0, .end = 4, .lowest = 0, .highest = 1500}));
    EXPECT_EQ(std::vector<std::int32_t>(points.begin(), points.begin() + 5),
              (std::vector<std::int32_t>{0, 0, 0, 1000, 1500}));

    // The scaled pass repeats the first cycle. p over 10 points: vmin 0, vmax 9; span 90 gives
    // scale 10 and offset lo.
    points.assign(20, -1);
    ASSERT_TRUE(
        Run("p", {.start = 5, .end = 14, .lo = 10, .hi = 100, .cycles = 2, .scaled = true}));
    std::vector<std::int32_t> cycle = {10, 20, 30, 40, 50};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(points[5 + i], cycle[i % 5]) << i;
    EXPECT_EQ(points[4], -1);
    EXPECT_EQ(points[15], -1);

    // Three cycles over ten points: q = 3.33, so the cycle restarts at offsets 0, 4 and 7.
    ASSERT_TRUE(Run("p", {.start = 0, .end = 9, .lo = 0, .hi = 9, .cycles = 3, .scaled = true}));
    EXPECT_EQ(std::vector<std::int32_t>(points.begin(), points.begin() + 10),
              (std::vector<std::int32_t>{0, 1, 2, 3, 0, 1, 2, 0, 1, 2}));

    // A flat formula keeps scale 1, so every point lands on the lower level.
    ASSERT_TRUE(Run("5", {.start = 0, .end = 9, .lo = 30, .hi = 60, .scaled = true}));
    EXPECT_EQ(points[0], 30);
    EXPECT_EQ(points[9], 30);
}

TEST_F(ExprRangeTest, FailuresStopWithTheirMessages) {
    EXPECT_FALSE(Run("2(p)", {.start = 0, .end = 9}));
    EXPECT_EQ(box.prompts.lastText(), "Expression:\n 2(p), Incorect.");
    EXPECT_EQ(points[0], -1);

    box.prompts.clear();
    EXPECT_FALSE(Run("10/(p-3)", {.start = 0, .end = 9}));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.lastText(), "Domain error.Divide by zero.");
    EXPECT_EQ(points[2], -10); // points before the failing one were written
    EXPECT_EQ(points[3], -1);

    box.prompts.clear();
    EXPECT_FALSE(Run("p++1", {.start = 0, .end = 9}));
    EXPECT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_FALSE(Run("p", {.start = 5, .end = 20})); // past the end of the points
}

// Cancels at its second report, and counts them.
struct CancelSecond : Progress {
    int reports = 0;
    bool advance(std::uint64_t, std::uint64_t) override { return ++reports < 2; }
};

TEST_F(ExprRangeTest, ACancelledRunStopsAfterItsRoundWithoutAMessage) {
    for (unsigned threads : {1u, 3u}) {
        CancelSecond progress;
        std::vector<std::int32_t> wave(10000, -1);
        const RunSharing sharing{&progress, threads, 1, 1000, 2};
        EXPECT_FALSE(Show(box.prompts,
                          EvaluateOverRange(parser, "p", "p", {.start = 0, .end = 9999, .hi = 1e9},
                                            wave, sharing)));
        EXPECT_EQ(progress.reports, 2);
        EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
        EXPECT_EQ(wave[1999], 1999) << threads;
        EXPECT_EQ(wave[9999], -1) << "nothing computed after the cancel";
    }
}

// In pieces the codes handed on are those stored in place, whatever the pieces' length, in both
// passes and in 16-bit and 32-bit codes; a failure hands on only the pieces before its own, and a
// refusing sink stops the run.
TEST_F(ExprRangeTest, PiecesHandOnWhatTheRangeStores) {
    for (const std::string formula : {"amp*sin(omg*p)+p%7", "ln(950-p)*300"}) {
        for (auto [scaled, highest] : {std::pair{false, 32767.0},
                                       {true, 32767.0},
                                       {false, 2147483647.0},
                                       {true, 2147483647.0}}) {
            const ExprRange range{.end = 999,
                                  .lo = -2000,
                                  .hi = 2000,
                                  .cycles = 3,
                                  .scaled = scaled,
                                  .lowest = -highest - 1,
                                  .highest = highest};
            std::vector<std::int32_t> whole(1000, -1);
            const bool ok =
                Show(box.prompts, EvaluateOverRange(parser, formula, formula, range, whole));
            for (std::size_t piece : {1000, 7, 256}) {
                std::vector<std::int32_t> streamed;
                auto sink = [&](std::span<const std::int32_t> codes) {
                    streamed.insert(streamed.end(), codes.begin(), codes.end());
                    return true;
                };
                ASSERT_EQ(Show(box.prompts,
                               EvaluateInPieces(parser, formula, formula, range, sink, piece)),
                          ok);
                if (ok)
                    EXPECT_EQ(streamed, whole) << formula << " in pieces of " << piece;
                else // ln fails at point 950
                    EXPECT_EQ(streamed.size(), scaled ? 0 : 950 / piece * piece) << formula;
            }
        }
    }
    int pieces = 0;
    EXPECT_FALSE(Show(box.prompts,
                      EvaluateInPieces(
                          parser, "p", "p", {.end = 99}, [&](auto) { return ++pieces < 3; }, 10)));
    EXPECT_EQ(pieces, 3);
}

} // namespace
} // namespace tw
