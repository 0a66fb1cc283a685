#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// One line of a host message as the composers send it.
struct HostAction {
    enum class Kind {
        Commands,     // "Cmd=" / "cmd=": instrument commands separated by ";"
        Wave,         // "Wav=" / "wav=": one file, or two joined by "&" (a combined download)
        FmWave,       // "FMwav=": the FM composer's file
        PulseSequence // "PLS_SEQ=": the steps of the exchange file's "PulsSeq"
    };
    Kind kind = Kind::Commands;
    std::vector<std::string> items; // the commands, or the files
};

struct HostMessageParse {
    std::vector<HostAction> actions;
    std::string error; // an unknown tag or a file missing from a "Wav=" line
};

// Splits a host message into its actions, in order. Empty lines and commands are left out.
HostMessageParse ParseHostMessage(std::string_view text);

} // namespace tw
