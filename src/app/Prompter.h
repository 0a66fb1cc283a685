#pragma once
#include <string>
#include <string_view>

namespace tw {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class Icon { None, Information, Exclamation, Question };

// The one way the core asks the user something. The GUI answers with a message box,
// scripts with the default button, tests with a scripted queue.
struct Prompter {
    virtual Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
                       Icon icon) = 0;
    virtual ~Prompter() = default;
};

// The button a box answers with when the user just presses Enter: its first button.
Answer defaultAnswer(Buttons buttons);

// Writes "caption: text" (line breaks shown as \n) to standard error and answers the default.
struct StderrPrompter : Prompter {
    Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
               Icon icon) override;
};

// Installs the prompter every core message goes through; nullptr restores StderrPrompter.
void setPrompter(Prompter* prompter);
Prompter& prompter();

Answer ask(std::string_view caption, std::string_view text, Buttons buttons = Buttons::Ok,
           Icon icon = Icon::Exclamation);

// The one-line form of a message used on standard error and in test logs.
std::string oneLineMessage(std::string_view caption, std::string_view text);

} // namespace tw
