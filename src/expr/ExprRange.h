#pragma once
#include "document/SampleSpan.h"
#include "expr/ExprParser.h"

#include <cstdint>
#include <string>

namespace tw {

// The range between the anchors and how the formula's values are put into it.
struct ExprRange {
    long start = 0, end = 0; // first and last point
    double lo = 0, hi = 0;   // lower and upper level
    double k = 1;            // turns level differences into sample units
    long cycles = 1;
    bool scaled = false; // "Scale" selected or "Auto_Scaling" ticked
    // The document's code range: stored points are truncated toward zero and kept inside it.
    double lowest = -32768, highest = 32767;
};

// Sets amp and per for the range.
void SetRangeConstants(ExprParser& parser, const ExprRange& range);

// Checks and converts formula (lower-cased, aliases already numbered) and writes its values into
// points [start, end]: the first pass as computed, then, when scaled, the first
// (end - start + 1) / cycles points repeated and stretched to the span. typed is the formula as
// the user typed it, for the messages. False when nothing or not everything was written.
bool EvaluateOverRange(ExprParser& parser, const std::string& formula, const std::string& typed,
                       const ExprRange& range, SampleSpan points);

// The point value of v: truncated toward zero, NaN as 0, clamped to [lowest, highest].
std::int32_t StoredPoint(double v, double lowest, double highest);

} // namespace tw
