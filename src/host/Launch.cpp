#include "host/Launch.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "host/ExchangeFile.h"

#include <optional>

namespace tw {

namespace {
bool markerBitsInUse(const LaunchState& s) {
    std::string value;
    if (ProfileRecord(s, "ParmLst", "TracType", value, 260, s.descrFile, true))
        return true;
    return ProfileRecord(s, "WaveDown", "UseMarkBits", value, 80, s.descrFile, true) &&
           EqualsNoCase(value, "Yes");
}
} // namespace

StartupResult RunStartup(Prompter& prompts, const std::string& commandLine,
                         const std::string& appDataFolder) {
    LaunchState s;
    DeriveLaunchPaths(s, appDataFolder);
    s.reports = &prompts;
    SetLaunchState(s);
    StartupResult result;

    if (!FileExists(s.exchangeFile))
        ask(prompts, s.appName, StringText(kMsgStandaloneRefused), Buttons::Ok, Icon::Exclamation);

    s.descrFile = ExchangeFile::Instrument(s).DescrFile();
    std::optional<std::string> family = ExchangeFile::Instrument(s).Family();
    if (!family) {
        ask(prompts, s.appName, strprintf("Invalid application path =%s", s.exchangeFile.c_str()),
            Buttons::Ok, Icon::Exclamation);
        SetLaunchState(s);
        return result;
    }
    s.family = *family;

    s.composerId = ComposerFromCommandLine(commandLine);
    s.appName = AppNameFor(s.composerId);
    SetLaunchState(s);
    AppendLog(s, "-----------CmdLine=" + ToUpper(commandLine) + " App=" + s.appName);

    if (s.composerId == kFmComposer) {
        std::string fpSeg;
        s.fpSegMode =
            ProfileRecord(s, "ParmLst", "FPSeg", fpSeg, 260, s.descrFile, true) && !fpSeg.empty();
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
        bool suppressed =
            ProfileRecord(s, "WaveDown", "NotUseBitsDlg", dummy, 260, s.descrFile, true);
        result.resourceSet =
            markerBitsInUse(s) && !suppressed ? kMarkerBitResources : kStandardResources;
    }
    }
    SetLaunchState(s);
    result.ok = true;
    return result;
}

} // namespace tw
