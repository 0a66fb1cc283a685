#pragma once
#include "app/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace tw::test {

// Answers message boxes from a queue (the default button when it runs dry) and records each.
struct ScriptedPrompter : Prompter {
    struct Asked {
        std::string caption, text;
        Buttons buttons;
        Icon icon;
    };
    std::deque<Answer> answers;
    std::vector<Asked> asked;

    Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
               Icon icon) override;
    void then(Answer a) { answers.push_back(a); }
    bool sawText(std::string_view fragment) const;
    std::string lastText() const { return asked.empty() ? std::string() : asked.back().text; }
    void clear() {
        asked.clear();
        answers.clear();
    }
};

} // namespace tw::test
