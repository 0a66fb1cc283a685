#pragma once
#include <string>
#include <string_view>

namespace tw {

// YesNoDefaultNo: Yes and No with No as the default button, for questions whose safe answer
// is No (a script, or a user who just presses Enter, never gets the risky one).
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class Answer { Ok, Cancel, Yes, No };
enum class Icon { None, Information, Exclamation, Question };

// The one way the core asks the user something. The GUI answers with a message box,
// scripts with the default button, tests with a scripted queue.
struct Prompter {
    virtual Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
                       Icon icon) = 0;
    virtual ~Prompter() = default;
};

// The button a box answers with when the user just presses Enter: its first button, or No
// for YesNoDefaultNo.
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

// Asks through a prompter handed to the caller, with the usual buttons and icon.
inline Answer ask(Prompter& prompter, std::string_view caption, std::string_view text,
                  Buttons buttons = Buttons::Ok, Icon icon = Icon::Exclamation) {
    return prompter.ask(caption, text, buttons, icon);
}

// The one-line form of a message used on standard error and in test logs.
std::string oneLineMessage(std::string_view caption, std::string_view text);

} // namespace tw
