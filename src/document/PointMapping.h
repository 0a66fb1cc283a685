#pragma once
#include "document/ColumnImport.h"
#include "document/WaveFormats.h"

#include <cstddef>
#include <span>
#include <string>

namespace tw {

// -1.0 ... +1.0 onto vMin ... vMax, without stretching.
LinearMap FullScaleMap(double vMin, double vMax);
// The whole range of a signed integer of `bits` bits, -2^(bits-1) ... 2^(bits-1)-1, onto
// vMin ... vMax, so that equal ranges map one to one.
LinearMap IntegerFullScaleMap(int bits, double vMin, double vMax);
// The map the column import takes for values of a file: full scale when the user reads values as
// fractions of full scale, else the stretch of the instrument's "autoStretch" option, else none.
LinearMap ColumnValueMap(double minimum, double maximum, const ImportContext& ctx);
// The same over values in memory.
LinearMap ColumnValueMap(std::span<const double> values, const ImportContext& ctx);
// The extremes that map stretches by, gathered a block of values at a time; infinities are left
// out (they would stretch every finite value onto the middle: they are clipped instead).
struct ValueExtremes {
    double minimum = 1e9;
    double maximum = -1e9;
    void add(std::span<const double> values);
};

// Points of values under map, each rounded to the nearest whole number and held inside
// [vMin, vMax]; result.clipped counts the held ones, infinities among them, which end at their
// own end of the range. A value that is not a number fails.
ImportResult MapIntoRange(std::span<const double> values, LinearMap map, const ImportContext& ctx);

// What Open, the command-line tool and the Python module say of the points an import clipped.
std::string ClippedMessage(std::size_t clipped);

// A failed import of a file that is there but cannot be taken, with kMsgCannotConvert and why.
ImportResult ImportRefused(const std::string& why);

} // namespace tw
