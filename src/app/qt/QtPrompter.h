#pragma once
#include "app/Prompter.h"

namespace tw {

// Answers core questions with a topmost message box captioned with the application name.
struct QtPrompter : Prompter {
    Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
               Icon icon) override;
};

// Installs the message-box prompter, or the standard-error one when
// TIDEWRIGHT_NONINTERACTIVE=1 asks for a run without a user.
void InstallGuiPrompter();

} // namespace tw
