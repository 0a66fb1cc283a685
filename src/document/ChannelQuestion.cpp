#include "document/ChannelQuestion.h"

#include "app/FileUtil.h"
#include "app/ProfileStore.h"
#include "app/RegularFile.h"
#include "document/RiffWave.h"

namespace tw {

namespace {
constexpr const char* kSection = "StartUp";
// The audio library finds the channel count in the header; the samples need not be read.
constexpr std::size_t kHeadBytes = 1 << 20;
} // namespace

ChannelChoice StoredChannelChoice(const LaunchState& session) {
    const std::string& ini = session.generalIni;
    ChannelChoice choice;
    const double channel = ProfileNumberIn(session, ini, "WavChannel", 0, kSection, 0);
    choice.channel = IsAbsent(channel) || channel < 0 || channel > 1023 ? 0 : int(channel);
    const double always = ProfileNumberIn(session, ini, "askChanDlg", 0, kSection, 0);
    choice.always = !IsAbsent(always) && always != 0;
    return choice;
}

std::optional<int> AskChannel(const LaunchState& session, int channels, const ChannelAsker& asker) {
    ChannelChoice choice = StoredChannelChoice(session);
    const bool fits = choice.channel < channels;
    if (!fits)
        choice.channel = 0;
    if (!choice.always || !fits) {
        std::optional<ChannelChoice> answer = asker ? asker(channels, choice) : std::nullopt;
        if (!answer)
            return std::nullopt;
        choice = *answer;
    }
    if (choice.channel < 0 || choice.channel >= channels)
        return std::nullopt;
    WriteGeneralSetting(session, "WavChannel", std::to_string(choice.channel), kSection);
    WriteGeneralSetting(session, "askChanDlg", choice.always ? "1" : "0", kSection);
    return choice.channel;
}

std::optional<int> AudioChannelsOfFile(const std::string& path) {
    const std::optional<std::string> head = ReadFileStart(path, kHeadBytes);
    if (!head || !NeedsAudioLibrary(*head))
        return std::nullopt;
    return WaveChannels(*head);
}

} // namespace tw
