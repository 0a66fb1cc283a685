// Work run apart from the program: its output comes back, and its crash, hang, runaway
// allocation or opening of files ends it with a reason while the program goes on.
#include "app/IsolatedRun.h"
#include "support/ResourceProbe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tw {
namespace {

using namespace std::chrono_literals;

TEST(IsolatedRun, OutputComesBackAndOnlyTheOutputIsOpen) {
    const int opened = ::open("/dev/null", O_RDONLY);
    const int parentFile = ::fcntl(opened, F_DUPFD, 50); // inherited without close-on-exec
    ::close(opened);
    ASSERT_GE(parentFile, 50);
    IsolatedOutcome run = RunIsolated(
        [&](int out) {
            const bool closed = ::fcntl(parentFile, F_GETFD) < 0;
            LimitNewFiles(0);
            for (int i = 0; i < kSanitizerDescriptors; ++i)
                (void)::open("/dev/null", O_RDONLY);
            const bool refused = ::open("/dev/null", O_RDONLY) < 0;
            const char text[] = {closed ? 'c' : '-', refused ? 'r' : '-'};
            return WriteAll(out, text, sizeof text);
        },
        {});
    ::close(parentFile);
    ASSERT_TRUE(run.ok) << run.why;
    char text[3] = {};
    EXPECT_TRUE(ReadAllAt(run.output.get(), text, 2, 0));
    EXPECT_STREQ(text, "cr");
}

TEST(IsolatedRun, CrashHangAndRunawayWorkEndWithAReason) {
    if (test::kUnderAddressSanitizer)
        GTEST_SKIP() << "the sanitizer catches the crash before the isolation sees it";
    struct Case {
        std::function<bool(int)> work;
        const char* why;
        int cancelAt = 0; // the user's Cancel at this report of the wait
    };
    const auto hang = [](int) {
        std::this_thread::sleep_for(1h);
        return true;
    };
    const std::vector<Case> cases {
        {[](int) { return std::raise(SIGSEGV) == 0; }, "the reader failed on it (Segmentation"},
            {hang, "it took longer than 1 s to read"}, {hang, "was cancelled", 3},
            {[](int) { return false; }, "the reader gave up on it"},
#if !defined(__SANITIZE_ADDRESS__)
            {[](int) {
                 std::vector<std::vector<char>> hoard;
                 for (;;)
                     hoard.emplace_back(8 << 20, 'x');
                 return true;
             },
             "it needs more memory to read than the file can hold"},
#endif
    };
    IsolationLimits limits;
    limits.memoryBytes = 32 << 20;
    for (const Case& c : cases) {
        // Only the hang waits for the clock; a loaded machine is slow to fault pages in.
        limits.wallClock = std::string_view(c.why).starts_with("it took") ? 1s : 60s;
        struct CancelAt : Progress {
            int left;
            explicit CancelAt(int at) : left(at) {}
            bool advance(std::uint64_t, std::uint64_t) override { return left == 0 || --left > 0; }
        } progress(c.cancelAt);
        IsolatedOutcome run = RunIsolated(c.work, limits, progress);
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.cancelled, c.cancelAt > 0) << c.why;
        EXPECT_EQ(run.why.rfind(c.why, 0), 0u) << c.why << " / " << run.why;
    }
}

// A reader's output is taken while it runs, never held whole: the work goes on only once the
// program has its first bytes; output the program refuses ends the work.
TEST(IsolatedRun, StreamedOutputIsTakenWhileTheWorkRuns) {
    const std::string seen =
        (std::filesystem::temp_directory_path() / ("tw-streamed-" + std::to_string(::getpid())))
            .string();
    std::string taken;
    IsolatedOutcome run = RunIsolated(
        [&](int out) {
            if (!WriteAll(out, "a", 1))
                return false;
            for (int i = 0; i < 2000 && ::access(seen.c_str(), F_OK) != 0; ++i)
                std::this_thread::sleep_for(10ms);
            return ::access(seen.c_str(), F_OK) == 0 && WriteAll(out, "b", 1);
        },
        {}, NoProgress(),
        [&](std::span<const char> bytes) {
            taken.append(bytes.data(), bytes.size());
            ::close(::open(seen.c_str(), O_WRONLY | O_CREAT, 0600));
            return true;
        });
    ::unlink(seen.c_str());
    EXPECT_TRUE(run.ok) << run.why;
    EXPECT_FALSE(run.output);
    EXPECT_EQ(taken, "ab");

    const std::vector<char> block(1 << 16, 'x');
    run = RunIsolated(
        [&](int out) {
            while (WriteAll(out, block.data(), block.size())) {
            }
            return true;
        },
        {}, NoProgress(), [](std::span<const char>) { return false; });
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.why, "the program took no more of what it read");
}

} // namespace
} // namespace tw
