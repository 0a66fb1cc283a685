#include "app/SharedWork.h"

#include <atomic>
#include <barrier>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace tw {

unsigned WorkThreads() {
    return std::max(1u, std::thread::hardware_concurrency());
}

namespace {

void ShareTilesAlone(std::size_t tiles, std::size_t roundTiles,
                     const std::function<void(std::size_t, unsigned)>& work,
                     const std::function<bool()>& roundDone) {
    for (std::size_t t = 0; t < tiles; ++t) {
        work(t, 0);
        const bool roundEnds = (t + 1) % roundTiles == 0 || t + 1 == tiles;
        if (roundEnds && roundDone && !roundDone())
            return;
    }
}

} // namespace

void ShareTiles(std::size_t tiles, std::size_t roundTiles, unsigned threads,
                const std::function<void(std::size_t tile, unsigned thread)>& work,
                const std::function<bool()>& roundDone) {
    roundTiles = std::max<std::size_t>(1, roundTiles);
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::min(tiles, roundTiles)));
    if (threads <= 1) {
        ShareTilesAlone(tiles, roundTiles, work, roundDone);
        return;
    }

    // Written only while every thread waits at the barrier, read by all after it.
    std::size_t roundStart = 0, roundEnd = std::min(roundTiles, tiles);
    bool stop = false;
    std::atomic<std::size_t> taken{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto fail = [&] {
        std::lock_guard lock(failureLock);
        if (!failure)
            failure = std::current_exception();
        failed = true;
    };
    auto roundOver = [&]() noexcept {
        try {
            stop = failed || (roundDone && !roundDone()) || roundEnd == tiles;
        } catch (...) {
            fail();
            stop = true;
        }
        roundStart = roundEnd;
        roundEnd = std::min(roundEnd + roundTiles, tiles);
        taken.store(0, std::memory_order_relaxed);
    };
    std::barrier meeting(static_cast<std::ptrdiff_t>(threads), roundOver);
    auto run = [&](unsigned thread) {
        do {
            for (std::size_t t = 0; !failed.load(std::memory_order_relaxed);) {
                t = roundStart + taken.fetch_add(1, std::memory_order_relaxed);
                if (t >= roundEnd)
                    break;
                try {
                    work(t, thread);
                } catch (...) {
                    fail();
                }
            }
            meeting.arrive_and_wait();
        } while (!stop);
    };

    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    unsigned started = 1;
    try {
        for (; started < threads; ++started)
            helpers.emplace_back(run, started);
    } catch (const std::system_error&) {
        // Fewer threads than planned: the missing ones leave the meetings for good.
        for (unsigned k = started; k < threads; ++k)
            meeting.arrive_and_drop();
    }
    run(0);
    helpers.clear();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tw
