#pragma once
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
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

// ASCII space-delimited: numbers separated by any white space, each truncated toward zero, read
// a piece at a time. False when the text holds anything else, no number, or a number that is
// no point of the layout.
bool ReadAsciiPoints(ImportSource& in, PointLayout layout, PointSink& out);

// Writers of a block of points whose first is point number `first` of the wave, so that a wave
// is written a block at a time; false when the stream failed.
// All points on one line as "%g", separated by single blanks, no line break.
bool WriteAsciiPoints(std::ostream& out, std::span<const std::int32_t> points, std::size_t first);
// "index, value" lines separated by CR LF, none after the last.
bool WriteCsvPoints(std::ostream& out, std::span<const std::int32_t> points, std::size_t first);
// Unsigned 16-bit little-endian point + 32768 per point.
bool WritePositivePoints(std::ostream& out, std::span<const std::int32_t> points,
                         std::size_t first);

} // namespace tw
