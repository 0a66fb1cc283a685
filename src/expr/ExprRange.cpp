#include "expr/ExprRange.h"

#include "app/Printf.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace tw {

namespace {

long TruncLong(double v) {
    if (std::isnan(v))
        return 0;
    return static_cast<long>(std::clamp(v, -9.0e18, 9.0e18));
}

} // namespace

void SetRangeConstants(ExprParser& parser, const ExprRange& range) {
    double span = (range.hi - range.lo) * range.k;
    parser.amp = TruncLong(span) / 2;
    parser.per = range.end - range.start + 1;
}

namespace {

// Runs both passes over the range a piece at a time: pieces.at(first, n) is where points
// [first, first + n) of the range go, pieces.take(codes) hands them on once stored (false: stop).
// Every point is stored as one loop over the range stores it, whatever the pieces.
template <class Sample, class Pieces>
Result Evaluate(ExprParser& parser, const std::string& formula, const std::string& typed,
                const ExprRange& range, Pieces& pieces, RunSharing sharing) {
    const long s = range.start, e = range.end;
    if (s < 0 || e < s)
        return Result::Failed();
    SetRangeConstants(parser, range);
    const double span = (range.hi - range.lo) * range.k;

    std::string buffer = formula;
    parser.shownFormula = typed;
    Result told = parser.CheckSyntax(buffer, 0);
    if (buffer.starts_with("Err"))
        return told.fail();
    told.then(parser.ToPostfix(buffer));
    if (buffer == kMarkError)
        return told.fail();
    told = {}; // a conversion that ends early leaves the buffer to fail in the evaluation

    const PostfixProgram& program = parser.Compiled(buffer);
    const ExprOperands operands = parser.operands();
    auto failed = [&](int error) {
        if (error == kRunCancelled)
            return Result::Failed(); // the user stopped it: nothing to report
        Result failure = parser.EvalFailure(buffer, error);
        if (buffer == kMarkError)
            failure.then(Notice{0, "Error", vformat("Expression:\n %s, Incorect.", typed.c_str())});
        return failure;
    };

    const PointStore toPoint(range.lowest, range.highest);
    auto stored = [toPoint](double v) { return ToStored<Sample>(toPoint(v)); };
    const auto count = static_cast<std::size_t>(e - s + 1);
    // One pass over the pieces; the first pass of a scaled range only finds the values' span.
    // pointsFrom(first) numbers the points of the piece that starts at first.
    auto pass = [&](auto pointsFrom, auto store, ValueSpan* values) {
        for (std::size_t first = 0; first < count; first += pieces.size) {
            const std::size_t n = std::min(pieces.size, count - first);
            const std::span<Sample> out = pieces.at(first, n);
            ValueSpan piece;
            const RunFailure failure = RunProgram(program, operands, out, pointsFrom(first), store,
                                                  values ? &piece : nullptr, sharing);
            if (failure.at >= 0)
                return failed(failure.error);
            if (values)
                values->Take(piece);
            else if (!pieces.take(out))
                return Result::Failed();
        }
        return Result();
    };
    ValueSpan values;
    auto consecutive = [](std::size_t first) {
        return ConsecutivePoints{static_cast<long>(first)};
    };
    if (Result first = pass(consecutive, stored, range.scaled ? &values : nullptr);
        !first || !range.scaled)
        return first;

    const double scale = values.hi == values.lo ? 1.0 : span / (values.hi - values.lo);
    const double offset = range.lo - scale * values.lo;
    const double q = static_cast<double>(count) / static_cast<double>(std::max(1L, range.cycles));
    auto cycled = [q](std::size_t first) {
        return [q, first](std::size_t i) {
            return TruncLong(std::fmod(static_cast<double>(first + i), q));
        };
    };
    return pass(
        cycled, [stored, scale, offset](double v) { return stored(scale * v + offset); }, nullptr);
}

// The whole range in one piece, stored in place.
template <class Sample> struct InPlace {
    std::span<Sample> target;
    std::size_t size = target.size();
    std::span<Sample> at(std::size_t first, std::size_t n) { return target.subspan(first, n); }
    bool take(std::span<Sample>) { return true; }
};

// Pieces in one buffer, each handed on. 16-bit codes are evaluated as such (through the looser,
// cheaper vector functions) and widened for the sink.
template <class Sample> struct Streamed {
    static constexpr bool kWide = std::is_same_v<Sample, std::int32_t>;
    std::size_t size;
    const std::function<bool(std::span<const std::int32_t>)>& sink;
    std::vector<Sample> buffer = std::vector<Sample>(size);
    std::vector<std::int32_t> widened = std::vector<std::int32_t>(kWide ? 0 : size);
    std::span<Sample> at(std::size_t, std::size_t n) { return {buffer.data(), n}; }
    bool take(std::span<Sample> codes) {
        if constexpr (kWide)
            return sink(codes);
        std::copy(codes.begin(), codes.end(), widened.begin());
        return sink({widened.data(), codes.size()});
    }
};

} // namespace

Result EvaluateOverRange(ExprParser& parser, const std::string& formula, const std::string& typed,
                         const ExprRange& range, SampleSpan points, RunSharing sharing) {
    return std::visit(
        [&](auto values) {
            using Sample = typename decltype(values)::value_type;
            if (range.start < 0 || range.end < range.start ||
                static_cast<std::size_t>(range.end) >= values.size())
                return Result::Failed();
            InPlace<Sample> pieces{
                values.subspan(static_cast<std::size_t>(range.start),
                               static_cast<std::size_t>(range.end - range.start + 1))};
            return Evaluate<Sample>(parser, formula, typed, range, pieces, sharing);
        },
        points);
}

Result EvaluateInPieces(ExprParser& parser, const std::string& formula, const std::string& typed,
                        const ExprRange& range,
                        const std::function<bool(std::span<const std::int32_t>)>& sink,
                        std::size_t piecePoints, RunSharing sharing) {
    const long points = range.end - range.start + 1;
    const std::size_t size =
        std::clamp<std::size_t>(piecePoints, 1, static_cast<std::size_t>(std::max(1L, points)));
    if (range.lowest >= -32768 && range.highest <= 32767) {
        Streamed<std::int16_t> pieces{size, sink};
        return Evaluate<std::int16_t>(parser, formula, typed, range, pieces, sharing);
    }
    Streamed<std::int32_t> pieces{size, sink};
    return Evaluate<std::int32_t>(parser, formula, typed, range, pieces, sharing);
}

} // namespace tw
