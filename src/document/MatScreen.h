#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

// The most a compressed MATLAB variable may expand to: every slab of it is inflated from its start.
inline constexpr std::uint64_t kMatMostInflatedBytes = std::uint64_t{1} << 30;
// zlib, which version 5 files compress with, never expands data more than about 1,032 times.
inline constexpr double kMatMostExpansion = 1100;

// Why a MATLAB version 4 or 5 file must not be given to the library, as the end of "The file could
// not be read: ...", or "" when nothing stands against it (version 7.3 files are HDF5's): a size,
// a name or dimensions that claim more than the file (or the variable holding them) has, or
// compressed data that expands past kMatMostInflatedBytes or ends short of what it claims. The
// library sizes its memory by these numbers before it reads what they count; here compressed data
// is expanded a block at a time and only counted.
std::string WhyMatIsRefused(std::string_view bytes);

} // namespace tw
