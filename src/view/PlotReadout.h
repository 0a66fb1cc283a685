#pragma once
#include "document/ValueScale.h"
#include "pulse/PulseTrace.h"
#include "view/PlotMapping.h"

#include <optional>
#include <string>

namespace tw {

// What a point's value means in the status bar's readout: the composer's value scale's unit.
using ReadoutValue = ValueScale::Unit;

// The point the trace shows in a plot column (half a point further in the last column, as the
// trace samples it), or nothing outside the plot or past the wave.
std::optional<long> PointUnderColumn(const PlotMapping& mapping, const PlotRect& plot, int px,
                                     double wavelength);

// "Point 12  Code -8192" / "Point 12  12.5 MHz" / "Point 12  500M".
std::string PointReadout(long index, double value, ReadoutValue kind);
// The anchors' marked range: "Marked 100..499 (400 points)".
std::string MarkedReadout(long left, long right);

// The train's level at a time in design units, on the last drawn line that covers it; nothing
// where no line does. A vertical edge reads as the level after it.
std::optional<double> TrainLevelAt(const TrainTrace& trace, double time);
// "Time 1.5 µs  Level 250 mV": time given in the design time unit, the level in volts, each
// with its prefix.
std::string TrainReadout(double time, const std::string& timeUnit, std::optional<double> volts);

} // namespace tw
