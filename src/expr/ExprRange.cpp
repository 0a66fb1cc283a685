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

std::int32_t StoredPoint(double v, double lowest, double highest) {
    if (std::isnan(v))
        v = 0;
    lowest = std::max(lowest, -2147483648.0);
    highest = std::min(highest, 2147483647.0);
    v = std::clamp(v, lowest, std::max(lowest, highest));
    return static_cast<std::int32_t>(std::trunc(v));
}

void SetRangeConstants(ExprParser& parser, const ExprRange& range) {
    double span = (range.hi - range.lo) * range.k;
    parser.amp = TruncLong(span) / 2;
    parser.per = range.end - range.start + 1;
}

namespace {

template <class Sample>
bool Evaluate(ExprParser& parser, const std::string& formula, const std::string& typed,
              const ExprRange& range, std::span<Sample> points) {
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
        parser.ReportEvalFailure(buffer, error);
        if (buffer == kMarkError)
            ask("Error", vformat("Expression:\n %s, Incorect.", typed.c_str()));
        return false;
    };

    double vmin = 1e30, vmax = -1e30;
    for (long i = s; i <= e; ++i) {
        EvalResult r = program.Run(i - s, operands);
        if (r.error)
            return failed(r.error);
        vmin = std::min(vmin, r.value);
        vmax = std::max(vmax, r.value);
        points[i] = ToStored<Sample>(StoredPoint(r.value, range.lowest, range.highest));
    }
    if (!range.scaled)
        return true;

    const double scale = vmax == vmin ? 1.0 : span / (vmax - vmin);
    const double offset = range.lo - scale * vmin;
    const double q =
        static_cast<double>(e - s + 1) / static_cast<double>(std::max(1L, range.cycles));
    for (long i = s; i <= e; ++i) {
        long j = s + TruncLong(std::fmod(static_cast<double>(i - s), q));
        EvalResult r = program.Run(j - s, operands);
        if (r.error)
            return failed(r.error);
        points[i] =
            ToStored<Sample>(StoredPoint(scale * r.value + offset, range.lowest, range.highest));
    }
    return true;
}

} // namespace

bool EvaluateOverRange(ExprParser& parser, const std::string& formula, const std::string& typed,
                       const ExprRange& range, SampleSpan points) {
    return std::visit([&](auto values) { return Evaluate(parser, formula, typed, range, values); },
                      points);
}

} // namespace tw
