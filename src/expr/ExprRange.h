#pragma once
#include "document/SampleSpan.h"
#include "expr/ExprParser.h"
#include "expr/ProgramRun.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
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
// the user typed it, for the messages. Failed when nothing or not everything was written, with
// what the user is to be told.
// The passes run in blocks and, over a long range, on the machine's cores (sharing); the points
// are the same to the bit as those of one loop over them.
Result EvaluateOverRange(ExprParser& parser, const std::string& formula, const std::string& typed,
                         const ExprRange& range, SampleSpan points, RunSharing sharing = {});

// The same points, for a range too long to hold: evaluated a piece of piecePoints at a time and
// handed to sink in order as the range's codes (false from sink stops the run, which then
// fails). When the formula fails at some point, the pieces before its piece have been handed on.
// A range whose codes fit 16 bits is evaluated in 16-bit codes.
Result EvaluateInPieces(ExprParser& parser, const std::string& formula, const std::string& typed,
                        const ExprRange& range,
                        const std::function<bool(std::span<const std::int32_t>)>& sink,
                        std::size_t piecePoints = std::size_t{1} << 20, RunSharing sharing = {});

// How a computed value becomes a point: NaN as 0, clamped to [lowest, highest] (and to 32 bits),
// truncated toward zero. Every evaluated point goes through it, so the bounds are worked out once.
struct PointStore {
    double lo, hi;
    PointStore(double lowest, double highest)
        : lo(std::max(lowest, -2147483648.0)), hi(std::max(lo, std::min(highest, 2147483647.0))) {}
    std::int32_t operator()(double v) const {
        v = std::isnan(v) ? 0 : v;
        return static_cast<std::int32_t>(std::clamp(v, lo, hi)); // the conversion truncates
    }
};

inline std::int32_t StoredPoint(double v, double lowest, double highest) {
    return PointStore(lowest, highest)(v);
}

} // namespace tw
