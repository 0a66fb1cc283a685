#pragma once
#include <string>
#include <string_view>

namespace tw {

// Engineering notation: mantissa in [1, 1000) with trailing zeros trimmed, exponent a multiple
// of 3 ("1.5e3", "250e-6", "0"). The host parses these texts, so they must match exactly.
// Values that are not finite read "inf", "-inf" and "nan", as the C library prints them.
std::string EngNumberText(double value, int decimals);

// A value for people to read: engineering notation with 3 decimals at most, its exponent as a
// prefix of the unit ("784.102 µs", "99.0039 MHz" with decimals 4, "500M" without a unit).
// Exponents past the prefixes (below f, above T) stay written out.
std::string PrefixedNumberText(double value, std::string_view unit, int decimals = 3);

// Removes trailing zeros after a decimal point, then a trailing point ("2.500" -> "2.5").
void TrimNumberText(std::string& text);

// Removes the first "+00" and shortens the first "-00" to "-" ("1.5e+003" -> "1.5e3").
void CompactExponent(std::string& text);

// The C++ stream's default formatting of a double (6 significant digits, like "%g").
std::string StreamNumberText(double value);

} // namespace tw
