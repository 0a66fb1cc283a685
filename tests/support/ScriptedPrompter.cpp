#include "support/ScriptedPrompter.h"

namespace tw::test {

Answer ScriptedPrompter::ask(std::string_view caption, std::string_view text, Buttons buttons,
                             Icon icon) {
    asked.push_back({std::string(caption), std::string(text), buttons, icon});
    if (answers.empty())
        return defaultAnswer(buttons);
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

bool ScriptedPrompter::sawText(std::string_view fragment) const {
    for (const auto& a : asked)
        if (a.text.find(fragment) != std::string::npos)
            return true;
    return false;
}

} // namespace tw::test
