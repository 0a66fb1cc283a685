#pragma once
#include "document/WaveFormats.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tw {

// Reads one decimal number (an optional leading '+' or '-', then what strtod takes) at first.
// Returns the end of the number, or first when there is none; out-of-range and non-finite
// numbers count as none.
const char* ScanNumber(const char* first, const char* last, double& value);

// The whole part of value as a point of layout; false when it does not fit.
bool WholePoint(double value, PointLayout layout, std::int32_t& point);

// ASCII space-delimited: numbers separated by any white space, each truncated toward zero.
ImportResult ParseAsciiPoints(std::string_view text, PointLayout layout);
// All points on one line as "%g", separated by single blanks, no line break.
std::string FormatAsciiPoints(std::span<const std::int32_t> points);
// "index, value" lines separated by CR LF, none after the last.
std::string FormatCsvPoints(std::span<const std::int32_t> points);
// Unsigned 16-bit little-endian point + 32768 per point.
std::string EncodePositivePoints(std::span<const std::int32_t> points);

} // namespace tw
