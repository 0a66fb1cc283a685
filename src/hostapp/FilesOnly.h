#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Without an instrument: each host message is kept in a folder the user picked, as
// "<n>-message.txt" (its text, file names pointing at the copies, a pulse sequence's steps after
// it) and a copy "<n>-<name>" of every file it names, n counting up from the highest number
// already there, so nothing in the folder is ever replaced.
struct KeptMessage {
    std::vector<std::string> files; // what was written, the message text last
    std::string error;              // names the file and the reason; nothing kept then
};

KeptMessage KeepMessage(std::string_view message, const std::string& exchangeFile,
                        const std::string& folder);

// The number the next kept message gets in folder.
int NextKeptNumber(const std::string& folder);

} // namespace tw
