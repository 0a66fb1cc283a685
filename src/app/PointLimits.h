#pragma once
#include <cstddef>

namespace tw {

// The most points of one segment: files, descriptions and typed lengths beyond it are refused
// before they size anything.
inline constexpr std::size_t kMaxWavePoints = std::size_t{1} << 27;

} // namespace tw
