#include "expr/AliasValues.h"

#include "app/FileUtil.h"
#include "app/Printf.h"
#include "expr/ProgramRun.h"

#include <algorithm>

namespace tw {

std::vector<std::size_t> ReferredAliases(const AliasTable& aliases,
                                         const std::string& substituted) {
    std::vector<std::size_t> used;
    for (std::size_t n = 1; n <= aliases.size(); ++n)
        if (AliasTable::Refers(substituted, n))
            used.push_back(n);
    return used;
}

namespace {
Notice AliasError(std::string text) {
    return Notice{0, "Error", std::move(text)};
}
} // namespace

Result CheckAliases(ExprParser& parser, const AliasTable& aliases,
                    const std::vector<std::size_t>& used, const std::string& substituted,
                    long& shortest) {
    for (std::size_t n : used) {
        const AliasRow& row = aliases.rows()[n - 1];
        if (row.formula.find_first_not_of(" \t") == std::string::npos)
            return AliasError(strprintf("Expression  {%zu} in column ref is empty", n));
        if (row.formula.find('{') != std::string::npos)
            return AliasError("Expression  in Alias incorrect");
        std::string buffer = ToLower(row.formula);
        parser.shownFormula = row.formula;
        Result checked = parser.CheckSyntax(buffer, static_cast<int>(n));
        if (buffer == kMarkError)
            return checked.then(AliasError(strprintf(
                "Expression:\n%s, Incorrect,Index of Alias  %zu", row.formula.c_str(), n)));
        if (buffer.starts_with("Err"))
            return checked.fail();
        shortest = std::min(shortest, parser.ShortestWave(ToLower(row.formula), shortest));
    }
    // The main formula's own wave files bound the range as well.
    shortest = std::min(shortest, parser.ShortestWave(ToLower(substituted), shortest));
    return {};
}

Result EvaluateAliases(ExprParser& parser, const AliasTable& aliases,
                       const std::vector<std::size_t>& used, long start, long end,
                       std::vector<std::vector<double>>& values) {
    for (std::size_t n : used) {
        std::string buffer = ToLower(aliases.rows()[n - 1].formula);
        Result converted = parser.ToPostfix(buffer);
        if (buffer == kMarkError)
            return converted.fail();
        std::vector<double>& row = values[n];
        row.assign(static_cast<std::size_t>(std::max(0L, end - start + 1)), 0.0);
        const RunFailure failure =
            RunProgram(parser.Compiled(buffer), parser.operands(), std::span<double>(row),
                       ConsecutivePoints{}, [](double v) { return v; });
        if (failure.at >= 0)
            return converted.then(parser.EvalFailure(buffer, failure.error))
                .then(AliasError(strprintf("Expression in Alias incorrect.Index of Alias %zu", n)))
                .fail();
    }
    return {};
}

} // namespace tw
