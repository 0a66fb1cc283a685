#include "app/Startup.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"

namespace tw {

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            line += ' ';
        line += argv[i];
    }
    return line;
}

int ComposerFromCommandLine(const std::string& commandLine) {
    std::string upper = ToUpper(commandLine);
    int id = kStandardComposer;
    if (upper.find("FMC") != std::string::npos)
        id = kFmComposer;
    if (upper.find("PLS") != std::string::npos)
        id = kPulseComposer;
    return id;
}

const char* AppNameFor(int composerId) {
    switch (composerId) {
    case kFmComposer:
        return "FM Tidewright";
    case kPulseComposer:
        return "Trainsmith";
    default:
        return "Tidewright";
    }
}

std::string AboutTitle(const std::string& appName) {
    return "About " + appName;
}
std::string AboutVersionLine(const std::string& appName) {
    return strprintf("%s Version %d.%d", appName.c_str(), 4, 3);
}
std::string AboutBuildLine() {
    return strprintf("Build %d", 96);
}

} // namespace tw
