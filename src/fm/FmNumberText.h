#pragma once
#include <string>

namespace tw {

// The box and list texts of the FM settings. The stream forms use three-digit exponents
// ("1.5e+006") before CompactExponent shortens them, so the texts do not depend on the
// platform's exponent width.

// The stream's general format, 6 significant digits: 1e7 -> "1e+007", 0.5 -> "0.5".
std::string FmStreamText(double value);

// The same, compacted: 1e7 -> "1e7", 2.5e-7 -> "2.5e-7".
std::string FmGeneralText(double value);

// Scientific format with `decimals` decimals, compacted: 1500000 -> "1.50000000e6".
std::string FmScientificText(double value, int decimals);

// Widens a two-digit exponent to three digits ("1e+07" -> "1e+007").
std::string WidenExponent(std::string text);

} // namespace tw
