#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::test {

// What the machine has to spare, to skip tests that need much of it, and peak resident memory,
// for tests that bound it (never time).

// AddressSanitizer keeps shadow memory and holds freed blocks back, so resident sizes measured
// under it say nothing of the program's own; bounds on them are skipped there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentSizesInflated = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResidentSizesInflated = true;
#else
inline constexpr bool kResidentSizesInflated = false;
#endif
#else
inline constexpr bool kResidentSizesInflated = false;
#endif

// The same sanitizer catches a deliberate crash itself and has the memory limit of isolated work
// lifted, so tests of how isolated work ends are skipped there.
inline constexpr bool kUnderAddressSanitizer = kResidentSizesInflated;

// "MemAvailable" of /proc/meminfo in bytes; 0 when unknown.
inline std::uint64_t AvailableMemoryBytes() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (info >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib * 1024;
    return 0;
}

inline std::uint64_t FreeDiskBytes(const std::string& folder) {
    std::error_code ec;
    const auto space = std::filesystem::space(folder, ec);
    return ec ? 0 : space.available;
}

// This process's peak resident memory ("VmHWM") in bytes; -1 when unknown.
inline std::int64_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atoll(line.c_str() + 6) * 1024;
    return -1;
}

// Starts the peak over from the memory resident now, so that earlier tests of the same process
// do not count; false where the system does not allow it.
inline bool ResetPeakResident() {
    std::ofstream refs("/proc/self/clear_refs");
    return static_cast<bool>(refs << "5" << std::flush);
}

struct ChildRun {
    int exit = -1;
    std::int64_t peakBytes = -1; // the child's (and its children's) peak resident memory
};

// Runs a shell command in a child process of its own and reports its peak resident memory.
inline ChildRun RunMeasured(const std::string& command) {
    ChildRun run;
    const pid_t child = ::fork();
    if (child < 0)
        return run;
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child)
        return run;
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakBytes = static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
    return run;
}

} // namespace tw::test
