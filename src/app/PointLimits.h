#pragma once
#include <cstddef>
#include <limits>

namespace tw {

// No segment has more points than this on any machine: point numbers and counts stay within the
// int that messages and tables count in.
inline constexpr std::size_t kMaxWavePoints = std::numeric_limits<int>::max();

// The machine's physical memory in bytes.
std::size_t PhysicalMemoryBytes();

// The most points of `bytesPerPoint` bytes each that this machine's memory holds, at most
// kMaxWavePoints. Descriptions, files and typed lengths beyond it are refused before they size
// anything.
std::size_t MemoryPointLimit(std::size_t bytesPerPoint);

} // namespace tw
