#pragma once
#include <string>

namespace tw {

// printf-style formatting into a std::string; the host reads many of these texts, so the
// exact C conversions ("%g", "%d", "%.3f") matter.
std::string strprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same for a format taken from the string table (not a literal).
std::string vformat(const char* format, ...);

} // namespace tw
