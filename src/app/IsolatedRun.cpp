#include "app/IsolatedRun.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TW_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TW_ASAN 1
#endif
#endif

namespace tw {

namespace {

constexpr int kOutputFd = 3;
constexpr int kWorkFailed = 3;
constexpr int kOutOfMemory = 4;

#ifndef TW_ASAN
// Address space the child has already: the program's own, copied by the fork.
std::uint64_t AddressSpaceNow() {
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[64] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    return std::strtoull(text, nullptr, 10) * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}
#endif

void SetLimit(int resource, std::uint64_t value) {
    const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
    ::setrlimit(resource, &limit);
}

[[noreturn]] void RunChild(const std::function<bool(int)>& work, int output,
                           const IsolationLimits& limits) {
    // The reader's own faults end the child with their signal, whatever handlers the program
    // has (a sanitizer's stay: they report before they end it).
#ifndef TW_ASAN
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(sig, SIG_DFL);
    if (limits.memoryBytes > 0)
        SetLimit(RLIMIT_AS, AddressSpaceNow() + limits.memoryBytes);
#endif
    std::signal(SIGPIPE, SIG_DFL);
    SetLimit(RLIMIT_CORE, 0);
    SetLimit(RLIMIT_CPU, static_cast<std::uint64_t>(limits.cpuSeconds));
    if (limits.outputBytes > 0)
        SetLimit(RLIMIT_FSIZE, limits.outputBytes);
    if (output != kOutputFd && ::dup2(output, kOutputFd) < 0)
        ::_exit(kWorkFailed);
    ::close_range(kOutputFd + 1, ~0u, 0);
    int code = kWorkFailed;
    try {
        code = work(kOutputFd) ? 0 : kWorkFailed;
    } catch (const std::bad_alloc&) {
        code = kOutOfMemory;
    } catch (...) {
    }
    ::_exit(code);
}

std::string Seconds(std::chrono::milliseconds time) {
    return std::to_string((time.count() + 999) / 1000) + " s";
}

std::string WhyEnded(int status, bool timedOut, const IsolationLimits& limits) {
    if (timedOut)
        return "it took longer than " + Seconds(limits.wallClock) + " to read";
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        if (sig == SIGXCPU)
            return "it took more than " + std::to_string(limits.cpuSeconds) +
                   " s of processor time to read";
        if (sig == SIGXFSZ)
            return "its reading grew larger than the file can hold";
        if (sig == SIGKILL)
            return "its reader was stopped by the system";
        const char* name = ::strsignal(sig);
        return std::string("the reader failed on it (") + (name ? name : "signal") + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemory)
        return "it needs more memory to read than the file can hold";
    return "the reader gave up on it";
}

} // namespace

OwnedFd::~OwnedFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

OwnedFd& OwnedFd::operator=(OwnedFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

namespace {

constexpr std::size_t kPumpBytes = std::size_t{1} << 16;
constexpr int kReadsPerLook = 16;

// Hands on what the output holds now, at most `reads` buffers of it (so that the wait still
// looks at the clock while a busy child writes): false when `read` refused it. atEnd is set once
// the output has ended (every writer gone, or the in-process run's file read to its end).
bool Pump(int fd, const OutputReader& read, std::vector<char>& buffer, bool& atEnd,
          int reads = std::numeric_limits<int>::max()) {
    for (; reads > 0; --reads) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            atEnd = n == 0 || errno != EAGAIN;
            return true;
        }
        if (!read(std::span(buffer.data(), static_cast<std::size_t>(n))))
            return false;
    }
    return true;
}

IsolatedOutcome Run(const std::function<bool(int output)>& work, const IsolationLimits& limits,
                    Progress& progress, const OutputReader* read) {
    IsolatedOutcome outcome;
    std::vector<char> buffer(read ? kPumpBytes : 0);
    bool atEnd = !read;
#ifdef TW_ISOLATION_IN_PROCESS
    const bool streamed = false; // the work runs here: a pipe it fills would never be emptied
#else
    const bool streamed = read != nullptr;
#endif
    int ends[2] = {-1, -1};
    if (streamed ? ::pipe2(ends, O_CLOEXEC) != 0
                 : (ends[1] = ::memfd_create("tw-isolated", MFD_CLOEXEC)) < 0) {
        outcome.why = std::string("no reader could be started: ") + std::strerror(errno);
        return outcome;
    }
    OwnedFd readEnd(ends[0]), output(ends[1]);
#ifdef TW_ISOLATION_IN_PROCESS
    // The fuzz build runs the work here, where libFuzzer sees its coverage, its faults and its
    // allocations; shipped programs never do.
    bool done = false;
    try {
        done = work(output.get());
    } catch (const std::bad_alloc&) {
        outcome.why = "it needs more memory to read than the file can hold";
        return outcome;
    }
    if (!done) {
        outcome.why = "the reader gave up on it";
        return outcome;
    }
    if (read && (::lseek(output.get(), 0, SEEK_SET) != 0 ||
                 !Pump(output.get(), *read, buffer, atEnd) || !atEnd)) {
        outcome.why = "the program took no more of what it read";
        return outcome;
    }
    outcome.ok = true;
    if (!read)
        outcome.output = std::move(output);
    return outcome;
#endif
    const pid_t child = ::fork();
    if (child < 0) {
        outcome.why = std::string("no reader could be started: ") + std::strerror(errno);
        return outcome;
    }
    if (child == 0)
        RunChild(work, output.get(), limits);
    if (streamed) {
        output = OwnedFd(); // the pipe ends when the child's end closes
        ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);
    }

    // Waiting by polling keeps to calls that cannot hang: a short wait growing to 20 ms, cut
    // short by output to take.
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + limits.wallClock;
    auto pause = std::chrono::microseconds(100);
    int status = 0;
    bool timedOut = false, refused = false;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            break;
        const auto now = std::chrono::steady_clock::now();
        using std::chrono::duration_cast, std::chrono::milliseconds;
        outcome.cancelled =
            !progress.advance(duration_cast<milliseconds>(now - started).count(),
                              duration_cast<milliseconds>(limits.wallClock).count());
        refused = !atEnd && !Pump(readEnd.get(), *read, buffer, atEnd, kReadsPerLook);
        if (outcome.cancelled || refused || now >= deadline) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            timedOut = !outcome.cancelled && !refused;
            break;
        }
        if (atEnd) {
            std::this_thread::sleep_for(pause);
        } else {
            pollfd ready{readEnd.get(), POLLIN, 0};
            const timespec wait{0, static_cast<long>(pause.count()) * 1000};
            ::ppoll(&ready, 1, &wait, nullptr);
        }
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
    }
    const bool exited = !timedOut && !outcome.cancelled && !refused && WIFEXITED(status) &&
                        WEXITSTATUS(status) == 0;
    // What the child wrote before it ended waits in the pipe.
    if (exited && !atEnd && (!Pump(readEnd.get(), *read, buffer, atEnd) || !atEnd))
        refused = true;
    if (outcome.cancelled) {
        outcome.why = "was cancelled";
    } else if (refused) {
        outcome.why = "the program took no more of what it read";
    } else if (exited) {
        outcome.ok = true;
        if (!read)
            outcome.output = std::move(output);
    } else {
        outcome.why = WhyEnded(status, timedOut, limits);
    }
    return outcome;
}

} // namespace

IsolatedOutcome RunIsolated(const std::function<bool(int output)>& work,
                            const IsolationLimits& limits, Progress& progress) {
    return Run(work, limits, progress, nullptr);
}

IsolatedOutcome RunIsolated(const std::function<bool(int output)>& work,
                            const IsolationLimits& limits, Progress& progress,
                            const OutputReader& read) {
    return Run(work, limits, progress, &read);
}

void LimitNewFiles([[maybe_unused]] int spare) {
#ifndef TW_ISOLATION_IN_PROCESS // the fuzzer's own process keeps its files
    int highest = 2;
    for (int fd = 3; fd < 1024; ++fd)
        if (::fcntl(fd, F_GETFD) >= 0)
            highest = fd;
    const int wanted = highest + 1 + spare + kSanitizerDescriptors;
    SetLimit(RLIMIT_NOFILE, static_cast<std::uint64_t>(wanted));
#endif
}

AnonymousCopy AnonymousCopyOf(std::string_view bytes) {
    AnonymousCopy copy;
    copy.fd = OwnedFd(::memfd_create("tw-copy", MFD_CLOEXEC));
    if (!copy.fd || !WriteAll(copy.fd.get(), bytes.data(), bytes.size()))
        return {};
    copy.path = "/proc/self/fd/" + std::to_string(copy.fd.get());
    return copy;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAllAt(int fd, void* data, std::size_t size, std::uint64_t offset) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace tw
