#pragma once
#include "document/SampleSpan.h"

namespace tw {

// Limits a rewritten sample is held within.
struct SampleLimits {
    double lower = 0, upper = 0;
};

// Running-average low-pass over [L, R - 1] with N = (R - L) / 15. Returns false, writing
// nothing, when N is 0 (anchors fewer than 15 points apart). xmax: the visible range's end,
// which stands in for indices below 0 in the seed.
bool FilterArea(SampleSpan samples, long L, long R, double xmax);

// Replaces L .. R + 1 by the cubic through the samples at L, L + 1, R and R + 1. With R on the
// last point, the sample at R stands for the missing one and nothing past the wave is written.
// Returns false, writing nothing, when the fit has no solution (adjacent anchors).
bool SmoothArea(SampleSpan samples, long L, long R, SampleLimits limits);

enum class InvertMirror { AboutZero, FmAbstract, AboutCentre };
// Mirrors L .. R; false when fewer than 2 points are marked. centre: the FM carrier value.
bool InvertArea(SampleSpan samples, long L, long R, InvertMirror mirror, double centre,
                SampleLimits limits);

// Enable rules of the marked-area commands.
struct AreaCommandState {
    bool filter = false, smooth = false, invert = false, unmark = false;
    bool trimLeft = false, trimRight = false;
};
AreaCommandState AreaCommandsEnabled(bool toolsAllowed, long L, long R, double wavelength);

} // namespace tw
