#include "app/Prompter.h"

#include <cstdio>

namespace tw {

namespace {
StderrPrompter stderrPrompter;
Prompter* current = &stderrPrompter;
} // namespace

Answer defaultAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::YesNoDefaultNo:
        return Answer::No;
    }
    return Answer::Ok;
}

std::string oneLineMessage(std::string_view caption, std::string_view text) {
    std::string line(caption);
    line += ": ";
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c != '\r')
            line += c;
    }
    return line;
}

Answer StderrPrompter::ask(std::string_view caption, std::string_view text, Buttons buttons, Icon) {
    std::string line = oneLineMessage(caption, text);
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return defaultAnswer(buttons);
}

void setPrompter(Prompter* prompter) {
    current = prompter ? prompter : &stderrPrompter;
}

Prompter& prompter() {
    return *current;
}

Answer ask(std::string_view caption, std::string_view text, Buttons buttons, Icon icon) {
    return current->ask(caption, text, buttons, icon);
}

} // namespace tw
