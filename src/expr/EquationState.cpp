#include "expr/EquationState.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/StoredNumber.h"

#include <cstdlib>

namespace tw {

namespace {

bool IsHistorySection(const std::string& name) {
    return !EqualsNoCase(name, "CurrentExpr") && !EqualsNoCase(name, "ExprInd") &&
           !EqualsNoCase(name, "Expr");
}

} // namespace

std::string EquationStateFile(const std::string& tmpFolder) {
    return tmpFolder + "Td.Equ";
}

EquationState LoadEquationState(const std::string& file) {
    EquationState state;
    if (!FileExists(file))
        return state;
    profile::Snapshot snap(file);
    state.current = snap.get("CurrentExpr", "Name").value_or("");
    if (auto index = snap.get("ExprInd", "ExprInd"))
        state.index = StoredWhole(*index);
    for (const std::string& name : snap.sectionNames())
        if (IsHistorySection(name))
            state.history.push_back(name);
    return state;
}

std::vector<AliasRow> LoadEquationAliases(const std::string& file, const std::string& formula) {
    std::vector<AliasRow> rows;
    if (formula.empty() || !FileExists(file))
        return rows;
    for (auto& [key, value] : profile::SectionEntries(file, formula))
        if (!EqualsNoCase(key, "ExprName"))
            rows.push_back({key, value});
    return rows;
}

bool WriteEquationState(const LaunchState& session, const std::string& file,
                        const std::string& formula, const std::vector<AliasRow>& aliases) {
    std::vector<std::string> lines{"ExprName=" + formula};
    for (const AliasRow& row : aliases)
        if (!row.formula.empty())
            lines.push_back(row.name + "=" + row.formula);
    profile::Transaction t(session, file);
    // Rewritten in place, so that the history keeps its order and its stored index.
    t.writeSection(formula, lines);
    t.write("CurrentExpr", "Name", formula);
    return t.commit();
}

bool WriteEquationIndex(const LaunchState& session, const std::string& file, int index) {
    return profile::WriteValue(session, file, "ExprInd", "ExprInd", std::to_string(index));
}

} // namespace tw
