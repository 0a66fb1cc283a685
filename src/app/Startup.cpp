#include "app/Startup.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"

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

namespace {
bool markerBitsInUse(const std::string& descr) {
    std::string value;
    if (ProfileRecord("ParmLst", "TracType", value, 260, descr, true))
        return true;
    return ProfileRecord("WaveDown", "UseMarkBits", value, 80, descr, true) &&
           EqualsNoCase(value, "Yes");
}
} // namespace

StartupResult RunStartup(const std::string& commandLine, const std::string& appDataFolder) {
    LaunchState s;
    DeriveLaunchPaths(s, appDataFolder);
    SetLaunchState(s);
    StartupResult result;

    if (!FileExists(s.exchangeFile))
        ask(s.appName, StringText(3015), Buttons::Ok, Icon::Exclamation);

    ProfileRecord("Instrument", "DescrFile", s.descrFile, 260, s.exchangeFile, false);
    if (!ProfileRecord("Instrument", "Family", s.family, 260, s.exchangeFile, true)) {
        ask(s.appName, strprintf("Invalid application path =%s", s.exchangeFile.c_str()),
            Buttons::Ok, Icon::Exclamation);
        SetLaunchState(s);
        return result;
    }

    s.composerId = ComposerFromCommandLine(commandLine);
    s.appName = AppNameFor(s.composerId);
    SetLaunchState(s);
    AppendLog("-----------CmdLine=" + ToUpper(commandLine) + " App=" + s.appName);

    if (s.composerId == kFmComposer) {
        std::string fpSeg;
        s.fpSegMode =
            ProfileRecord("ParmLst", "FPSeg", fpSeg, 260, s.descrFile, true) && !fpSeg.empty();
    }

    switch (s.composerId) {
    case kFmComposer:
        result.resourceSet = kFmResources;
        break;
    case kPulseComposer:
        result.resourceSet = kPulseResources;
        break;
    default: {
        std::string dummy;
        bool suppressed = ProfileRecord("WaveDown", "NotUseBitsDlg", dummy, 260, s.descrFile, true);
        result.resourceSet =
            markerBitsInUse(s.descrFile) && !suppressed ? kMarkerBitResources : kStandardResources;
    }
    }
    SetLaunchState(s);
    result.ok = true;
    return result;
}

std::string AboutTitle() {
    return "About " + launch().appName;
}
std::string AboutVersionLine() {
    return strprintf("%s Version %d.%d", launch().appName.c_str(), 4, 3);
}
std::string AboutBuildLine() {
    return strprintf("Build %d", 96);
}

} // namespace tw
