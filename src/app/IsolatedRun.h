#pragma once
#include "app/Progress.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tw {

// What work run apart from the program may take before it is stopped.
struct IsolationLimits {
    std::uint64_t memoryBytes = 0; // address space on top of what the program has; 0: no limit
    std::uint64_t outputBytes = 0; // what it may write to a file (its output included)
    int cpuSeconds = 60;
    std::chrono::milliseconds wallClock{120000};
};

// A file descriptor closed with its owner.
class OwnedFd {
  public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd();
    OwnedFd(OwnedFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    OwnedFd& operator=(OwnedFd&& other) noexcept;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

struct IsolatedOutcome {
    bool ok = false;
    OwnedFd output;         // what the work wrote, from its start (an anonymous file)
    std::string why;        // when !ok, what became of the work, as the end of a sentence
    bool cancelled = false; // the user cancelled: the child was ended
};

// Runs work in a forked child under limits: a crash, a hang or a runaway allocation there ends
// the child, not the program. The child keeps only standard input and output and the output
// file, at descriptor 3, which work writes and returns true on success. Only the work runs in
// the child (the program may have threads whose locks the fork copied), and it ends with _exit.
// While it waits, progress is told the time gone against the wall-clock limit; a cancel ends
// the child.
IsolatedOutcome RunIsolated(const std::function<bool(int output)>& work,
                            const IsolationLimits& limits, Progress& progress = NoProgress());

// Takes the work's output as it comes; false when the program will take no more.
using OutputReader = std::function<bool(std::span<const char> bytes)>;
// The same, but the work writes into a pipe that `read` empties while the work runs, so that
// its output never lies whole anywhere (outcome.output stays empty). When read refuses, the
// child is ended and the outcome is not ok.
IsolatedOutcome RunIsolated(const std::function<bool(int output)>& work,
                            const IsolationLimits& limits, Progress& progress,
                            const OutputReader& read);

// Sanitizer builds probe memory through a pipe of their own, which the child must be able to open.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSanitizerDescriptors = 2;
#else
inline constexpr int kSanitizerDescriptors = 0;
#endif

// In the child: no file can be opened beyond `spare` more than those open now (and the
// sanitizers' pipe).
void LimitNewFiles(int spare);

// An anonymous file holding bytes, and a path that opens it while the process lives
// ("/proc/self/fd/N"): a file for a library that works only on a path vanishes with the
// process, however it ends (HDF5, which resolves the path, cannot open it). Invalid when the
// system refuses.
struct AnonymousCopy {
    OwnedFd fd;
    std::string path;
};
AnonymousCopy AnonymousCopyOf(std::string_view bytes);

// Writes all of data; false when the system refused.
bool WriteAll(int fd, const void* data, std::size_t size);
// Reads size bytes at offset; false on a short read.
bool ReadAllAt(int fd, void* data, std::size_t size, std::uint64_t offset);

} // namespace tw
