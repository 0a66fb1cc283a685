#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace tw {

// Long loops over the points share their work among the machine's cores for the length of one
// call: the calling thread takes part and waits for the others, so nothing outside the call ever
// sees a second thread.

// The threads a long loop uses: the machine's cores, at least 1.
unsigned WorkThreads();

// Runs work(tile, thread) for every tile in [0, tiles) on `threads` threads, the calling one
// being thread 0; each takes the next tile nobody has taken. After every roundTiles tiles the
// threads wait for each other and roundDone() runs alone; when it returns false no later tile
// starts. Without threads (or when they cannot be started) the calling thread does it all, in
// tile order. An exception thrown by work stops the tiles and is thrown again here.
void ShareTiles(std::size_t tiles, std::size_t roundTiles, unsigned threads,
                const std::function<void(std::size_t tile, unsigned thread)>& work,
                const std::function<bool()>& roundDone = {});

// Runs body(first, end) over disjoint pieces covering [lo, hi), in no particular order: on the
// machine's cores when the range is long, else in one call on the calling thread. For loops whose
// steps depend on nothing but their own index.
template <class Body> void ForPieces(std::int64_t lo, std::int64_t hi, Body&& body) {
    constexpr std::int64_t kPiece = 1 << 16;
    if (hi - lo <= kPiece || WorkThreads() < 2) {
        if (hi > lo)
            body(lo, hi);
        return;
    }
    const auto pieces = static_cast<std::size_t>((hi - lo + kPiece - 1) / kPiece);
    ShareTiles(pieces, pieces, WorkThreads(), [&](std::size_t piece, unsigned) {
        const std::int64_t first = lo + static_cast<std::int64_t>(piece) * kPiece;
        body(first, std::min(hi, first + kPiece));
    });
}

} // namespace tw
