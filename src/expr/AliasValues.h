#pragma once
#include "expr/AliasTable.h"
#include "expr/ExprParser.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tw {

// The alias rows ({N}, 1-based) a substituted formula refers to.
std::vector<std::size_t> ReferredAliases(const AliasTable& aliases, const std::string& substituted);

// Checks the formulas of the referred aliases: failed, with its message, when one is empty,
// refers to another alias or is refused by the syntax check. shortest (in: the range's length)
// comes back bounded by the wave files of those formulas and of the substituted formula.
Result CheckAliases(ExprParser& parser, const AliasTable& aliases,
                    const std::vector<std::size_t>& used, const std::string& substituted,
                    long& shortest);

// Evaluates each referred alias over the points [start, end] into values[N], which must have a
// place for every row. Failed, with its messages, when one fails.
Result EvaluateAliases(ExprParser& parser, const AliasTable& aliases,
                       const std::vector<std::size_t>& used, long start, long end,
                       std::vector<std::vector<double>>& values);

} // namespace tw
