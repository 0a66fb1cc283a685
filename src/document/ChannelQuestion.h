#pragma once
#include "app/LaunchState.h"

#include <functional>
#include <optional>
#include <string>

namespace tw {

// The answer of the question which channel of a multi-channel audio file Open takes.
struct ChannelChoice {
    int channel = 0;     // 0-based
    bool always = false; // "Always use selected option "
};

// Shows the question for a file of `channels` channels starting from initial; nullopt when
// cancelled. The GUI passes the dialog, tests a scripted answer.
using ChannelAsker =
    std::function<std::optional<ChannelChoice>(int channels, const ChannelChoice&)>;

// The starting choice from the session's general settings file, section "StartUp".
ChannelChoice StoredChannelChoice(const LaunchState& session);

// Asks (unless "Always" was ticked before and the stored channel is one of the file's, which
// counts as OK at once), stores the answer in "WavChannel" and "askChanDlg" and returns the
// channel; nullopt when the user cancelled, and then nothing is stored.
std::optional<int> AskChannel(const LaunchState& session, int channels, const ChannelAsker& asker);

// The channels of a file Open reads through the audio library, or nullopt for any other file
// (it is read whole only when it begins like one).
std::optional<int> AudioChannelsOfFile(const std::string& path);

} // namespace tw
