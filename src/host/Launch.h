#pragma once
#include "app/Prompter.h"
#include "app/Startup.h"

#include <string>

namespace tw {

struct StartupResult {
    bool ok = false;
    int resourceSet = kStandardResources;
};

// Runs start-up: derives the launch paths below appDataFolder, checks for the host's exchange
// file, reads the instrument identity from it, picks the composer, writes the first log line and
// picks the resource set. Messages go through `prompts`; on failure the program must end.
StartupResult RunStartup(Prompter& prompts, const std::string& commandLine,
                         const std::string& appDataFolder);

} // namespace tw
