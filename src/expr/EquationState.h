#pragma once
#include "app/LaunchState.h"
#include "expr/AliasTable.h"

#include <string>
#include <vector>

namespace tw {

// The equation editor's state file "Td.Equ" in the tmp folder: the formula in the box, the
// history (one section per formula, holding its aliases) and the selected history entry. An
// equation file (".equ") is a copy of it.
struct EquationState {
    std::string current;              // "" when the file names none
    int index = -1;                   // the selected history entry
    std::vector<std::string> history; // in file order
};

std::string EquationStateFile(const std::string& tmpFolder);

EquationState LoadEquationState(const std::string& file);
// The aliases kept in a history formula's section.
std::vector<AliasRow> LoadEquationAliases(const std::string& file, const std::string& formula);
// The formula's section (its name and aliases with a formula) and the current formula.
// A failed rewrite is told through the session's reporter.
bool WriteEquationState(const LaunchState& session, const std::string& file,
                        const std::string& formula, const std::vector<AliasRow>& aliases);
bool WriteEquationIndex(const LaunchState& session, const std::string& file, int index);

} // namespace tw
