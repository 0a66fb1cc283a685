#include "expr/ExprRange.h"

#include "app/Printf.h"
#include "app/Prompter.h"

#include <algorithm>
#include <cmath>

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

template <class Sample>
bool Evaluate(ExprParser& parser, const std::string& formula, const std::string& typed,
              const ExprRange& range, std::span<Sample> points, RunSharing sharing) {
    const long s = range.start, e = range.end;
    if (s < 0 || e < s || static_cast<std::size_t>(e) >= points.size())
        return false;
    SetRangeConstants(parser, range);
    const double span = (range.hi - range.lo) * range.k;

    std::string buffer = formula;
    parser.shownFormula = typed;
    parser.CheckSyntax(buffer, 0);
    if (buffer.starts_with("Err"))
        return false;
    parser.ToPostfix(buffer);
    if (buffer == kMarkError)
        return false;

    const PostfixProgram& program = parser.Compiled(buffer);
    const ExprOperands operands = parser.operands();
    auto failed = [&](int error) {
        if (error == kRunCancelled)
            return false; // the user stopped it: nothing to report
        parser.ReportEvalFailure(buffer, error);
        if (buffer == kMarkError)
            ask("Error", vformat("Expression:\n %s, Incorect.", typed.c_str()));
        return false;
    };

    const PointStore toPoint(range.lowest, range.highest);
    auto stored = [toPoint](double v) { return ToStored<Sample>(toPoint(v)); };
    const std::span<Sample> target =
        points.subspan(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s + 1));
    ValueSpan values;
    RunFailure failure = RunProgram(
        program, operands, target, [](std::size_t i) { return static_cast<long>(i); }, stored,
        range.scaled ? &values : nullptr, sharing);
    if (failure.at >= 0)
        return failed(failure.error);
    if (!range.scaled)
        return true;

    const double scale = values.hi == values.lo ? 1.0 : span / (values.hi - values.lo);
    const double offset = range.lo - scale * values.lo;
    const double q =
        static_cast<double>(e - s + 1) / static_cast<double>(std::max(1L, range.cycles));
    failure = RunProgram(
        program, operands, target,
        [q](std::size_t i) { return TruncLong(std::fmod(static_cast<double>(i), q)); },
        [stored, scale, offset](double v) { return stored(scale * v + offset); }, nullptr, sharing);
    if (failure.at >= 0)
        return failed(failure.error);
    return true;
}

} // namespace

bool EvaluateOverRange(ExprParser& parser, const std::string& formula, const std::string& typed,
                       const ExprRange& range, SampleSpan points, RunSharing sharing) {
    return std::visit(
        [&](auto values) { return Evaluate(parser, formula, typed, range, values, sharing); },
        points);
}

} // namespace tw
