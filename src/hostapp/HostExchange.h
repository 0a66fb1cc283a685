#pragma once
#include "app/LaunchState.h"
#include "host/ComposerKinds.h"
#include "host/ExchangeFile.h"
#include "hostapp/InstrumentFacts.h"

#include <string>

namespace tw {

// The host's side of the exchange file: what it writes before it launches a composer and reads
// while one runs. The file lies where the composers look for it, below the application-data
// folder. A failed rewrite is told through `reports`, under `caption`.
class HostExchange {
  public:
    HostExchange(const std::string& appDataFolder, Prompter& reports, const std::string& caption);

    const std::string& path() const { return path_; }
    const std::string& tmpFolder() const { return tmpFolder_; }

    // Names the instrument, the active channel and segment and the host's title. A file left for
    // another model starts over; one for this model keeps what the composers stored in it (their
    // segment tables, the pulse train). An error names the file and the reason.
    std::string write(const InstrumentFacts& facts, const std::string& hostTitle,
                      ChannelSegment active) const;
    // The composer's published title; "" while it has published none.
    std::string composerTitle(const ComposerKind& kind) const;
    // Forgets it before a launch, so an old title is never taken for the new window's.
    void forgetComposerTitle(const ComposerKind& kind) const;

  private:
    LaunchState session_; // the host's own: its folders, reporter and caption
    std::string tmpFolder_;
    std::string generalFolder_;
    std::string path_;
};

// The per-channel list of active segments with the channel's entry set: one number for each
// of `channels`, each followed by a blank; entries that are missing or no number become 1.
std::string ActiveSegmentList(const std::string& stored, int channels, ChannelSegment active);

// A title the composers read back unchanged through the profile store (no surrounding blanks or
// quotes, no "//" after the first character, no line break, at most 257 bytes).
bool TitleSurvivesProfileRead(const std::string& title);

} // namespace tw
