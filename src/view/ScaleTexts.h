#pragma once
#include <string>

namespace tw {

class Composer;

// The units the scale texts name, and the level unit index that scales a vertical unit other
// than points by 10^(3 voltInd) ("m" for 1).
struct PlotUnits {
    std::string horizontal = "Pts";
    std::string vertical = "Pts";
    int voltInd = 0;
};

// The composer's units: points in the standard composer, points along and "Hz" up in the FM
// composer; the pulse-train composer's design time unit ("sec", "ms", "us", "ns") along and
// volts up.
PlotUnits UnitsForComposer(const Composer& composer, int voltInd);

// "Vertical Scale: ..." (8 divisions) or "Horizontal Scale: ..." (10 divisions) for a visible
// value range. Point units ("p...") count the range as points and fold whole multiples of 1024
// into "k"; voltInd scales other vertical units by 10^(3 voltInd) ("m" for 1).
std::string ScaleLine(bool vertical, double range, const std::string& unit, int voltInd = 0);

// The mid-value label left of the centre line.
std::string MidValueText(double ymin, double ymax, const std::string& verticalUnit);

// What the plot writes below itself and beside its centre line.
struct ScaleTexts {
    std::string vertical, horizontal, midValue;
};
ScaleTexts MakeScaleTexts(double xmin, double xmax, double ymin, double ymax,
                          const PlotUnits& units);

} // namespace tw
