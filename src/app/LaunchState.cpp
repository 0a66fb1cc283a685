#include "app/LaunchState.h"

#include "app/Prompter.h"

#include <cstdlib>
#include <fstream>

namespace tw {

namespace {
LaunchState state;

std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}
} // namespace

Prompter& Reports(const LaunchState& session) {
    static StderrPrompter toStderr;
    return session.reports ? *session.reports : toStderr;
}

const LaunchState& launch() {
    return state;
}

void SetLaunchState(const LaunchState& s) {
    state = s;
}

void DeriveLaunchPaths(LaunchState& s, const std::string& appDataFolder) {
    s.appDataFolder = appDataFolder.empty() ? std::string() : withoutTrailingSlash(appDataFolder);
    s.tmpFolder = s.appDataFolder + "/Consolia/tmp/";
    s.generalFolder = s.appDataFolder + "/Consolia/General/";
    s.generalIni = s.generalFolder + "General.ini";
    s.exchangeFile = s.tmpFolder + "TempOndex.ondex";
    s.logFile = s.tmpFolder + "Ondex.log";
}

std::string FindAppDataFolder() {
    if (const char* v = std::getenv("APPDATA"); v && *v)
        return v;
    if (const char* v = std::getenv("XDG_DATA_HOME"); v && *v)
        return v;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/share";
    return {};
}

void AppendLog(const LaunchState& session, const std::string& line) {
    if (session.logFile.empty())
        return;
    std::ofstream out(session.logFile, std::ios::app | std::ios::binary);
    out << line << '\n';
}

} // namespace tw
