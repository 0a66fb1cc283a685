#pragma once
#include "app/Progress.h"
#include "app/SharedWork.h"
#include "expr/PostfixProgram.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

namespace tw {

// How a run shares its points among threads. Tests choose small sizes to reach every seam.
struct RunSharing {
    Progress* progress = nullptr;       // told after each round; a cancel stops the run
    unsigned threads = 0;               // 0: WorkThreads()
    std::size_t parallelFrom = 1 << 16; // shorter runs stay on the calling thread
    std::size_t tilePoints = 2048;      // the points a thread takes at a time
    std::size_t roundTiles = 256;       // tiles between two meetings of the threads
};

// The lowest and highest value of a run as std::min and std::max find them going through the
// points in order. Both keep the first of equal values, so spans of consecutive pieces taken in
// order give the same bits (-0.0 or 0.0) as one pass over all of them.
struct ValueSpan {
    double lo = 1e30, hi = -1e30;
    void Take(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    void Take(const ValueSpan& later) {
        lo = std::min(lo, later.lo);
        hi = std::max(hi, later.hi);
    }
};

// The first point of a run that failed and its error; at is -1 when every point gave a value.
struct RunFailure {
    long at = -1;
    int error = 0;
};
// The error of a run the user cancelled: no fault of the formula.
constexpr int kRunCancelled = std::numeric_limits<int>::min();

// The point numbers first, first + 1, ...: a run's points, which its blocks need not list.
struct ConsecutivePoints {
    long first = 0;
    long operator()(std::size_t i) const { return first + static_cast<long>(i); }
};

namespace run_parts {

// What one thread of a run works in.
struct Buffers {
    std::vector<long> points = std::vector<long>(PostfixProgram::kBlock);
    std::vector<double> spare = std::vector<double>(PostfixProgram::kBlock);
    std::vector<double> scratch;
};

// What became of one tile of a round.
struct TileOutcome {
    ValueSpan values;
    long failedAt = -1;
    int error = 0;
    bool written = false;
};

// The points of a block, at the processor's widest vectors; consecutive ones need no list.
template <class PointOf>
TW_WIDEST_VECTORS BlockPoints FillPoints(PointOf& pointOf, std::size_t at, std::size_t n,
                                         long* list) {
    if constexpr (std::is_same_v<PointOf, ConsecutivePoints>)
        return {nullptr, pointOf(at), n};
    for (std::size_t k = 0; k < n; ++k)
        list[k] = pointOf(at + k);
    return {list, 0, n};
}

// The codes of values that Run gave to the bit.
template <class Out, class Store>
TW_WIDEST_VECTORS void StoreValues(const double* v, std::size_t n, Store& store, Out* out) {
    for (std::size_t k = 0; k < n; ++k)
        out[k] = store(v[k]);
}

// The codes of the values' lower ends into out; true when the upper end of some value has
// another code, or the distance d is unknown.
template <class Out, class Store>
TW_WIDEST_VECTORS bool LowerCodes(const double* v, double d, std::size_t n, Store& store,
                                  Out* out) {
    const double e = 2 * d; // twice: the interval's ends are rounded too
    if (!(e < std::numeric_limits<double>::infinity()))
        return true;
    int doubt = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const Out below = store(v[k] - e), above = store(v[k] + e);
        out[k] = below;
        doubt |= below != above;
    }
    return doubt != 0;
}

// Stores a block of values with a distance as Run's values would be stored. store is monotonic,
// so the codes at both ends of the interval around a value are the only ones it can take: where
// they differ, or the distance is unknown, Run recomputes the value (and may fail there, which
// ends the block). With span, the values that may be its lowest or highest are recomputed too.
template <class Out, class Store>
void StoreBounded(const PostfixProgram& program, const ExprOperands& operands, BlockPoints points,
                  PostfixProgram::BlockResult& r, Store& store, std::span<Out> out, std::size_t at,
                  ValueSpan* span) {
    const std::size_t n = r.failedAt;
    const double* v = r.values;
    const double e = 2 * r.distance;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const bool unknown = !(e < kInfinity);
    // Kept apart until the block is known good, when a point may fail: the points from a failure
    // on stay as they were.
    Out kept[PostfixProgram::kBlock];
    Out* const codes = program.mayFail() ? kept : out.data() + at;
    auto storeUpTo = [&](std::size_t end) {
        if (codes == kept)
            std::copy(kept, kept + end, out.begin() + at);
    };
    const bool doubt = LowerCodes(v, r.distance, n, store, codes);
    if (!doubt && !span)
        return storeUpTo(n);
    double lowestHigh = kInfinity, highestLow = -kInfinity;
    if (span && !unknown)
        for (std::size_t k = 0; k < n; ++k) {
            lowestHigh = std::min(lowestHigh, v[k] + e);
            highestLow = std::max(highestLow, v[k] - e);
        }
    // A value whose interval starts above the lowest end of another's cannot be the lowest (nor
    // equal to it); only the others are taken, in point order, so the span is that of all.
    ValueSpan block;
    for (std::size_t k = 0; k < n; ++k) {
        const bool codeInDoubt = doubt && (unknown || store(v[k] - e) != store(v[k] + e));
        const bool extreme = span && !(v[k] - e > lowestHigh && v[k] + e < highestLow);
        if (!codeInDoubt && !extreme)
            continue;
        const EvalResult exact = program.Run(points[k], operands);
        if (exact.error) {
            r.failedAt = k;
            r.error = exact.error;
            return storeUpTo(k); // the run fails: its span is of no use
        }
        block.Take(exact.value);
        codes[k] = store(exact.value);
    }
    storeUpTo(n);
    if (span)
        span->Take(block);
}

} // namespace run_parts

// What a loop calling program.Run(pointOf(i)) for i = 0, 1, ... and storing store(value) in
// out[i] does, to the bit, in blocks and, for a long run, on several threads while the calling
// one waits: at the first failing point it stops, with the indexes before it stored and the
// others as they were. values, when given, gets the span of the values stored (for codes, of a
// run that did not fail). Integer codes
// come from a run through the vector functions where the program has them (store must be
// monotonic, as every rounding to a code is); doubles are Run's bits.
template <class Out, class PointOf, class Store>
RunFailure RunProgram(const PostfixProgram& program, const ExprOperands& operands,
                      std::span<Out> out, PointOf pointOf, Store store, ValueSpan* values = nullptr,
                      RunSharing sharing = {}) {
    constexpr std::size_t kBlock = PostfixProgram::kBlock;
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    const std::size_t count = out.size();
    const std::size_t tilePoints = std::max<std::size_t>(1, sharing.tilePoints);
    const std::size_t tiles = (count + tilePoints - 1) / tilePoints;
    unsigned threads = sharing.threads ? sharing.threads : WorkThreads();
    if (count < sharing.parallelFrom)
        threads = 1;
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, tiles));
    // Alone, the tiles run in order and each one ends a round; shared, a tile may finish after
    // a later one, which then has to give its points back when the earlier one failed (so it
    // keeps them, unless no point can fail).
    const bool shared = threads > 1;
    const bool keepBefore = shared && program.mayFail();
    const std::size_t roundTiles = shared ? std::max<std::size_t>(1, sharing.roundTiles) : 1;

    using run_parts::Buffers;
    using run_parts::TileOutcome;
    std::vector<Buffers> buffers(std::max(1u, threads));
    for (Buffers& b : buffers)
        b.scratch.resize(program.scratchSize());
    std::vector<TileOutcome> outcomes(roundTiles);
    // Codes only need the code each value rounds to; values kept as doubles need Run's bits.
    using Precision = PostfixProgram::Precision;
    const Precision precision = std::is_floating_point_v<Out> ? Precision::Bits
                                : sizeof(Out) <= 2            ? Precision::Coarse
                                                              : Precision::Bounded;
    std::vector<Out> before(keepBefore ? std::min(count, roundTiles * tilePoints) : 0);

    std::atomic<std::size_t> firstFailedTile{kNone};
    std::size_t roundFirst = 0; // first tile of the round under way
    ValueSpan span;
    RunFailure failure;

    auto work = [&](std::size_t tile, unsigned thread) {
        TileOutcome& o = outcomes[tile - roundFirst];
        o = {};
        if (tile > firstFailedTile.load(std::memory_order_relaxed))
            return; // a point before this tile failed
        const std::size_t first = tile * tilePoints;
        const std::size_t end = std::min(count, first + tilePoints);
        if (keepBefore)
            std::copy(out.begin() + first, out.begin() + end,
                      before.begin() + (first - roundFirst * tilePoints));
        o.written = true;
        Buffers& b = buffers[thread];
        for (std::size_t at = first; at < end; at += kBlock) {
            const std::size_t n = std::min(kBlock, end - at);
            const BlockPoints points = run_parts::FillPoints(pointOf, at, n, b.points.data());
            PostfixProgram::BlockResult r =
                program.RunBlock(points, operands, b.scratch, b.spare.data(), precision);
            if (r.bounded) {
                run_parts::StoreBounded(program, operands, points, r, store, out, at,
                                        values ? &o.values : nullptr);
            } else {
                if (values)
                    for (std::size_t k = 0; k < r.failedAt; ++k)
                        o.values.Take(r.values[k]);
                run_parts::StoreValues(r.values, r.failedAt, store, out.data() + at);
            }
            if (r.failedAt < n) {
                o.failedAt = static_cast<long>(at + r.failedAt);
                o.error = r.error;
                std::size_t seen = firstFailedTile.load(std::memory_order_relaxed);
                while (tile < seen && !firstFailedTile.compare_exchange_weak(seen, tile))
                    ;
                return;
            }
        }
    };
    // Alone after every round: the tiles' spans in point order, and the points of tiles after a
    // failed one put back.
    auto roundDone = [&] {
        const std::size_t inRound = std::min(roundTiles, tiles - roundFirst);
        bool stop = false;
        for (std::size_t t = 0; t < inRound; ++t) {
            const TileOutcome& o = outcomes[t];
            if (stop) {
                if (o.written) {
                    const std::size_t first = (roundFirst + t) * tilePoints;
                    const std::size_t end = std::min(count, first + tilePoints);
                    const auto from = before.begin() + (first - roundFirst * tilePoints);
                    std::copy(from, from + (end - first), out.begin() + first);
                }
                continue;
            }
            span.Take(o.values);
            if (o.failedAt >= 0) {
                failure = {o.failedAt, o.error};
                stop = true;
            }
        }
        roundFirst += roundTiles;
        const std::size_t done = std::min(count, roundFirst * tilePoints);
        if (!stop && sharing.progress && !sharing.progress->advance(done, count)) {
            failure = {static_cast<long>(done), kRunCancelled};
            stop = true;
        }
        return !stop;
    };
    ShareTiles(tiles, roundTiles, threads, work, roundDone);
    if (values)
        *values = span;
    return failure;
}

} // namespace tw
