#pragma once
#include "app/Result.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tw {

// One named sub-formula of the equation editor; {N} in a formula refers to row N (1-based).
struct AliasRow {
    std::string name;    // with its braces, for example "{my_sin}"
    std::string formula; // with full file paths
    bool operator==(const AliasRow&) const = default;
};

// The alias list: its name rules, additions and deletions, and the substitution of names by
// their numbers before a formula reaches the engine.
inline constexpr const char* kSubstitutionError = "Error";

class AliasTable {
  public:
    // The caption of the table's own refusals: the application's name, from the owner's session.
    explicit AliasTable(std::string caption) : caption_(std::move(caption)) {}

    const std::vector<AliasRow>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    void Assign(std::vector<AliasRow> rows) { rows_ = std::move(rows); }
    void Clear() { rows_.clear(); }

    // Appends a row named "{}" when the last row already has a formula.
    Result Add();
    // Applies the name rules; on refusal the row keeps its old name. Ok when renamed (a name
    // with spaces is renamed with a warning).
    Result Rename(std::size_t row, const std::string& name);
    void SetFormula(std::size_t row, const std::string& formula);
    // row < 0: nothing selected. Asks first when the name occurs in the formula box.
    Result Delete(int row, const std::string& formulaBox, Prompter& asks);
    bool DeleteAll(Prompter& asks); // asks first

    // The formula with each {name} replaced by {N}, or "Error" (and, given failure, what to tell
    // the user when there is something).
    std::string Substitute(const std::string& formula, Result* failure = nullptr) const;
    // Whether {N} occurs in a substituted formula.
    static bool Refers(const std::string& substituted, std::size_t n);

  private:
    Notice Refusal(const char* text) const { return Notice{0, caption_, text}; }

    std::string caption_;
    std::vector<AliasRow> rows_;
};

// The formula as the alias list shows it: each wave file path cut to its first folder, "..."
// and its last component.
std::string ShortenedPaths(const std::string& formula);

} // namespace tw
