#pragma once
#include "document/SampleSpan.h"

#include <array>
#include <cstdint>

namespace tw {

struct Progress;

enum class Shape { Sine, Triangle, Square, Sinc, Gaussian, Exponent, Pulse, Noise };

// The level conversion of a generator: levels are sample codes (K 1, O 0) except in the FM
// composer's abstract mode, where they are mapped onto its 0..10^9 scale.
struct LevelConversion {
    double k = 1;
    double o = 0;
};
LevelConversion AbstractLevelConversion(double docLower, double docUpper);

// One generator call: the range, the levels and up to five shape parameters P1..P5.
struct ShapeRequest {
    Shape shape = Shape::Sine;
    double start = 0, end = 0;
    double min = 0, max = 0;
    std::array<double, 5> p{};
    LevelConversion level;
    bool fm = false;              // FM composer: plain truncation, noise keeps its offset
    unsigned noiseSeed = 1;       // the dialog seeds from the clock
    Progress* progress = nullptr; // none: nobody is told, nothing cancels
};

// Fills points start..end of wave with the shape. Some parameters are converted in place
// (the sine and triangle power, the pulse percentages become durations) and the caller
// stores them as they come back. Points outside the wave are left alone. False when the
// progress was cancelled: the points are then partly written and the caller puts them back.
bool GenerateShape(SampleSpan wave, ShapeRequest& req);

// A double stored into a point: truncated toward zero, saturated to the 32-bit range.
std::int32_t TruncToPoint(double v);

} // namespace tw
