#pragma once
#include <string>

namespace tw {

// "Vertical Scale: ..." (8 divisions) or "Horizontal Scale: ..." (10 divisions) for a visible
// value range. Point units ("p...") count the range as points and fold whole multiples of 1024
// into "k"; voltInd scales other vertical units by 10^(3 voltInd) ("m" for 1).
std::string ScaleLine(bool vertical, double range, const std::string& unit, int voltInd = 0);

// The mid-value label left of the centre line.
std::string MidValueText(double ymin, double ymax, const std::string& verticalUnit);

} // namespace tw
