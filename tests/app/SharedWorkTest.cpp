#include "app/SharedWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace tw {
namespace {

// Every tile runs once, and at each meeting the tiles of the rounds so far have all run and
// none of a later one has.
TEST(SharedWorkTest, EveryTileRunsOnceAndRoundsMeetInOrder) {
    constexpr std::size_t kTiles = 1000, kRound = 7;
    for (unsigned threads : {1u, 3u}) {
        std::vector<std::atomic<int>> runs(kTiles);
        std::atomic<std::size_t> done{0};
        std::vector<std::size_t> doneAtMeetings;
        ShareTiles(
            kTiles, kRound, threads,
            [&](std::size_t tile, unsigned thread) {
                ASSERT_LT(thread, threads);
                ++runs[tile];
                ++done;
            },
            [&] {
                doneAtMeetings.push_back(done.load());
                return true;
            });
        for (const auto& r : runs)
            ASSERT_EQ(r.load(), 1);
        ASSERT_EQ(doneAtMeetings.size(), (kTiles + kRound - 1) / kRound);
        for (std::size_t m = 0; m < doneAtMeetings.size(); ++m)
            EXPECT_EQ(doneAtMeetings[m], std::min(kTiles, (m + 1) * kRound)) << threads;

        // A meeting stops the later rounds, and an error comes back.
        done = 0;
        int meetings = 0;
        ShareTiles(
            100, 10, threads, [&](std::size_t, unsigned) { ++done; },
            [&] { return ++meetings < 2; });
        EXPECT_EQ(done.load(), 20u);
        EXPECT_THROW(ShareTiles(100, 10, threads,
                                [](std::size_t tile, unsigned) {
                                    if (tile == 42)
                                        throw std::runtime_error("tile 42");
                                }),
                     std::runtime_error);
    }
}

TEST(SharedWorkTest, ForPiecesCoversTheRangeOnce) {
    std::vector<std::atomic<int>> hits(300000);
    ForPieces(5, 300005, [&](std::int64_t from, std::int64_t to) {
        for (std::int64_t i = from; i < to; ++i)
            ++hits[static_cast<std::size_t>(i - 5)];
    });
    for (const auto& h : hits)
        ASSERT_EQ(h.load(), 1);

    int calls = 0;
    ForPieces(10, 1000, [&](std::int64_t from, std::int64_t to) {
        ++calls;
        EXPECT_EQ(from, 10);
        EXPECT_EQ(to, 1000);
    });
    ForPieces(10, 10, [&](std::int64_t, std::int64_t) { ++calls; });
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace tw
