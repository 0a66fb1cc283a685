#include "expr/AliasValues.h"

#include "app/FileUtil.h"
#include "app/Printf.h"
#include "app/Prompter.h"
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

bool CheckAliases(ExprParser& parser, const AliasTable& aliases,
                  const std::vector<std::size_t>& used, const std::string& substituted,
                  long& shortest) {
    for (std::size_t n : used) {
        const AliasRow& row = aliases.rows()[n - 1];
        if (row.formula.find_first_not_of(" \t") == std::string::npos) {
            ask("Error", strprintf("Expression  {%zu} in column ref is empty", n));
            return false;
        }
        if (row.formula.find('{') != std::string::npos) {
            ask("Error", "Expression  in Alias incorrect");
            return false;
        }
        std::string buffer = ToLower(row.formula);
        parser.shownFormula = row.formula;
        parser.CheckSyntax(buffer, static_cast<int>(n));
        if (buffer == kMarkError) {
            ask("Error", strprintf("Expression:\n%s, Incorrect,Index of Alias  %zu",
                                   row.formula.c_str(), n));
            return false;
        }
        if (buffer.starts_with("Err"))
            return false;
        shortest = std::min(shortest, parser.ShortestWave(ToLower(row.formula), shortest));
    }
    // The main formula's own wave files bound the range as well.
    shortest = std::min(shortest, parser.ShortestWave(ToLower(substituted), shortest));
    return true;
}

bool EvaluateAliases(ExprParser& parser, const AliasTable& aliases,
                     const std::vector<std::size_t>& used, long start, long end,
                     std::vector<std::vector<double>>& values) {
    for (std::size_t n : used) {
        std::string buffer = ToLower(aliases.rows()[n - 1].formula);
        parser.ToPostfix(buffer);
        if (buffer == kMarkError)
            return false;
        std::vector<double>& row = values[n];
        row.assign(static_cast<std::size_t>(std::max(0L, end - start + 1)), 0.0);
        const RunFailure failure = RunProgram(
            parser.Compiled(buffer), parser.operands(), std::span<double>(row),
            [](std::size_t i) { return static_cast<long>(i); }, [](double v) { return v; });
        if (failure.at >= 0) {
            parser.ReportEvalFailure(buffer, failure.error);
            ask("Error", strprintf("Expression in Alias incorrect.Index of Alias %zu", n));
            return false;
        }
    }
    return true;
}

} // namespace tw
