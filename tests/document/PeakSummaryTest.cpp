#include "document/PeakSummary.h"
#include "support/SampleValues.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;

const PeakSummary::Quantize kRows = [](std::int32_t v) {
    return static_cast<long long>(std::floor(v / 37.5));
};

Peak BruteForce(const Points& shown, std::size_t first, std::size_t last) {
    Peak p;
    for (std::size_t i = first; i <= last && i < shown.size(); ++i)
        p.Add({shown[i], shown[i]});
    return p;
}

// Every pooled value of every level, and ranges of all kinds, against the points themselves.
::testing::AssertionResult MatchesThePoints(const Samples& samples,
                                            const MarkerBitMask& mask = {}) {
    const PeakSummary& summary = samples.peaks(mask);
    Points shown = test::Values(samples);
    for (std::int32_t& v : shown)
        v = mask.Shown(v);
    std::size_t span = PeakSummary::kBlock;
    for (std::size_t k = 0; k < summary.levels().size(); ++k, span *= PeakSummary::kFan) {
        const std::vector<Peak>& level = summary.levels()[k];
        if (level.size() != (shown.size() + span - 1) / span)
            return ::testing::AssertionFailure() << "level " << k << " has " << level.size();
        for (std::size_t b = 0; b < level.size(); ++b)
            if (!(level[b] == BruteForce(shown, b * span, (b + 1) * span - 1)))
                return ::testing::AssertionFailure() << "level " << k << " block " << b;
    }
    if (!summary.levels().empty() && summary.levels().back().size() > PeakSummary::kFan)
        return ::testing::AssertionFailure() << "the top level is not small";
    std::mt19937 random(7);
    const std::size_t n = shown.size();
    for (int i = 0; i < 300 && n > 0; ++i) {
        std::size_t first = random() % n, last = random() % n;
        if (i % 3 == 0)
            last = std::min(n - 1, first + random() % 700);
        if (i == 0)
            first = 0, last = n - 1;
        if (first > last)
            std::swap(first, last);
        const Peak exact = BruteForce(shown, first, last);
        const Peak got = summary.Range(samples.view(), first, last);
        if (!(got == exact))
            return ::testing::AssertionFailure()
                   << "range " << first << ".." << last << ": " << got.min << ".." << got.max;
        // As a plot of a few hundred rows sees the points: the same rows, read from the pools
        // wherever the points could not change them.
        const Peak seen = summary.Range(samples.view(), first, last, kRows);
        if (kRows(seen.min) != kRows(exact.min) || kRows(seen.max) != kRows(exact.max))
            return ::testing::AssertionFailure() << "range " << first << ".." << last
                                                 << " in rows: " << seen.min << ".." << seen.max;
    }
    return ::testing::AssertionSuccess();
}

Points Random(std::size_t n, std::uint32_t seed, std::int32_t low, std::int32_t high) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int32_t> value(low, high);
    Points points(n);
    for (std::int32_t& v : points)
        v = value(random);
    return points;
}

TEST(PeakSummary, PoolsBothWidthsAndTheMaskedValuesAndStaysSmall) {
    Samples wide(SampleWidth::Int32);
    wide.Assign(Random(300001, 1, -2000000000, 2000000000));
    EXPECT_TRUE(MatchesThePoints(wide));

    Samples codes;
    codes.Assign(Random(70000, 2, -8192, 8191));
    EXPECT_TRUE(MatchesThePoints(codes));
    // Marker bits mean nothing to the plot: pooled as the plot shows the points, and again when
    // the mask changes.
    const MarkerBitMask bits{true, 12, 13, 8192};
    EXPECT_TRUE(MatchesThePoints(codes, bits));
    EXPECT_EQ(codes.peaks(bits).mask(), bits);
    EXPECT_TRUE(MatchesThePoints(codes));

    for (std::size_t n : {std::size_t{0}, std::size_t{1}, PeakSummary::kBlock,
                          PeakSummary::kBlock * PeakSummary::kFan + 1}) {
        Samples few;
        few.Assign(Random(n, 3, -5, 5));
        EXPECT_TRUE(MatchesThePoints(few)) << n;
    }

    Samples big;
    big.Assign(std::size_t{1} << 24, 0);
    EXPECT_LT(big.peaks().bytes(), (std::size_t{2} << 24) / 50) << "under 2% of the points";
}

// Edits and wavelength changes update the summary in place; loads replace it.
TEST(PeakSummary, FollowsEveryChangeOfThePoints) {
    Samples s;
    s.Assign(Random(50000, 4, -8000, 8000));
    const PeakSummary& summary = s.peaks();
    std::mt19937 random(5);
    for (int edit = 0; edit < 40; ++edit) {
        const std::size_t first = random() % s.size();
        const std::size_t count = edit % 4 == 0 ? 1 : random() % 3000 + 1;
        test::Put(s, first,
                  Random(std::min(count, s.size() - first), random(), -8192, edit % 2 ? 8191 : 0));
    }
    EXPECT_TRUE(summary.built()) << "edits update it, they do not drop it";
    EXPECT_TRUE(MatchesThePoints(s));

    // Longer, across new levels; shorter, cutting blocks; shorter within a block.
    for (std::size_t n : {std::size_t{50100}, std::size_t{1200000}, std::size_t{33333},
                          std::size_t{33300}, std::size_t{4096}, std::size_t{4097}}) {
        s.Resize(n, static_cast<std::int32_t>(n % 1000));
        EXPECT_TRUE(summary.built()) << n;
        EXPECT_TRUE(MatchesThePoints(s)) << n;
    }

    s.Assign(Random(9000, 6, -3, 3));
    EXPECT_FALSE(summary.built()) << "new points are pooled when next asked for";
    EXPECT_TRUE(MatchesThePoints(s));
    s.Resize(0, 0);
    EXPECT_TRUE(MatchesThePoints(s));
    s.Resize(300, 9);
    EXPECT_TRUE(MatchesThePoints(s));

    test::Sandbox box;
    const std::string file = box.root() + "/points.wvf";
    Samples source(SampleWidth::Int32);
    source.Assign(Random(40000, 8, -1000000, 1000000));
    ASSERT_TRUE(source.WriteFile(file, PointLayout::Int32));
    ASSERT_TRUE(s.ReadFile(file, PointLayout::Int32));
    EXPECT_TRUE(MatchesThePoints(s));
}

} // namespace
} // namespace tw
