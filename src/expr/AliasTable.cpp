#include "expr/AliasTable.h"

#include "app/FileUtil.h"
#include "app/Printf.h"

#include <algorithm>

namespace tw {

Result AliasTable::Add() {
    if (!rows_.empty() && rows_.back().formula.empty())
        return Refusal("You have new Allies without Expression");
    rows_.push_back({"{}", ""});
    return {};
}

Result AliasTable::Rename(std::size_t row, const std::string& name) {
    if (row >= rows_.size() || name.empty())
        return Result::Failed();
    if (name.front() != '{' || name.find('}') != name.size() - 1)
        return Refusal("The name of the expression must to be in curly brackets  ");
    const std::string inner = name.substr(1, name.size() - 2);
    if (inner.empty())
        return Refusal("No Alias name was entered for the expression");
    if (inner.size() > 6)
        return Refusal(
            "The name of the alias is too long. Maximum length of Alias is 6 characters.");
    if (inner.find_first_of("{}") != std::string::npos)
        return Refusal("It is forbidden to use '{' or '}' in the name of Alias.");
    Result renamed;
    if (inner.find_first_of(" \t") != std::string::npos)
        renamed.then(Refusal("It is recommended not use spacing characters in the name of Alias."));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i != row && rows_[i].name == name) {
            return renamed
                .then(Notice{0, "Error",
                             strprintf("An Alias with the name:%s  already exists. \nThe previous "
                                       "name has been restored",
                                       name.c_str())})
                .fail();
        }
    }
    rows_[row].name = name;
    return renamed;
}

void AliasTable::SetFormula(std::size_t row, const std::string& formula) {
    if (row < rows_.size())
        rows_[row].formula = formula;
}

Result AliasTable::Delete(int row, const std::string& formulaBox, Prompter& asks) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return Refusal("No Item selected!");
    if (formulaBox.find(rows_[row].name) != std::string::npos &&
        asks.ask("Warning",
                 "The Alias that you want to delete exists in the edit field of the current "
                 "expression. Do you wish to continue?",
                 Buttons::YesNo, Icon::Question) != Answer::Yes)
        return Result::Failed();
    rows_.erase(rows_.begin() + row);
    return {};
}

bool AliasTable::DeleteAll(Prompter& asks) {
    if (asks.ask("Attention", "Are you sure you want to delete all references from the list?",
                 Buttons::YesNo, Icon::Question) != Answer::Yes)
        return false;
    rows_.clear();
    return true;
}

std::string AliasTable::Substitute(const std::string& formula, Result* failure) const {
    auto refused = [this, failure](const char* text) {
        if (failure)
            *failure = Refusal(text);
        return std::string(kSubstitutionError);
    };
    std::string out;
    std::size_t at = 0;
    for (;;) {
        std::size_t open = formula.find('{', at);
        if (open == std::string::npos)
            break;
        std::size_t close = formula.find('}', at);
        if (close == std::string::npos || close < open)
            return kSubstitutionError;
        std::string name = formula.substr(open, close - open + 1);
        if (name == "{}")
            return refused(" Aliases empty");
        auto row = std::find_if(rows_.begin(), rows_.end(),
                                [&](const AliasRow& r) { return r.name == name; });
        if (row == rows_.end())
            return refused("The alias in the expression, doesn't  present in your list of Aliases");
        out += formula.substr(at, open - at);
        out += "{" + std::to_string(row - rows_.begin() + 1) + "}";
        at = close + 1;
    }
    return out + formula.substr(at);
}

bool AliasTable::Refers(const std::string& substituted, std::size_t n) {
    return substituted.find("{" + std::to_string(n) + "}") != std::string::npos;
}

std::string ShortenedPaths(const std::string& formula) {
    static const std::string kBreaks = " +-*()^%&|<>={}";
    std::string out;
    std::size_t at = 0;
    while (at < formula.size()) {
        std::size_t end = formula.find_first_of(kBreaks, at);
        if (end == at) {
            out += formula[at++];
            continue;
        }
        if (end == std::string::npos)
            end = formula.size();
        std::string word = formula.substr(at, end - at);
        at = end;
        std::string ext = ToLower(ExtensionOf(word));
        std::size_t first = word.find_first_of("/\\");
        std::size_t second =
            first == std::string::npos ? first : word.find_first_of("/\\", first + 1);
        std::size_t last = word.find_last_of("/\\");
        if ((ext == "wav" || ext == "wvf") && second != std::string::npos && last != second) {
            char sep = word[second];
            word = word.substr(0, second) + sep + "..." + word.substr(last);
        }
        out += word;
    }
    return out;
}

} // namespace tw
