#pragma once
#include "document/WaveFormats.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace tw {

// The length of the header of a column file: everything up to and including the first line
// that begins with "time" (any case) or "\"Time"; 0 when there is no such line.
std::size_t ColumnHeaderLength(std::string_view text);

// The row values after the header: each row takes askDim + 1 numbers, skipping anything but
// digits, '-' and '+' before each, and keeps the last. Fails on a number out of range.
bool ReadColumnValues(std::string_view text, int askDim, std::vector<double>& values);

// The linear map of the column stretch: +-A (A the larger magnitude) onto vMin..vMax.
struct LinearMap {
    double scale = 1;
    double offset = 0;
};
LinearMap ColumnStretch(double minimum, double maximum, double vMin, double vMax);

// Header, rows, stretch and rounding into points of ctx.layout.
ImportResult ImportColumns(std::string_view text, const ImportContext& ctx);

} // namespace tw
