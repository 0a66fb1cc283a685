#include "pulse/PulseOptions.h"

#include "app/LaunchState.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "host/ExchangeFile.h"
#include "host/PulseExchange.h"
#include "pulse/TrainModel.h"

#include <cmath>
#include <cstdlib>

namespace tw {

namespace {

std::string general(const char* key) {
    std::string v;
    ProfileRecord(kPulseSettings, key, v, 260, launch().generalIni, true);
    return v;
}

ForcedClock forcedClock() {
    return ReadForcedClock(launch().exchangeFile);
}

bool parseNumber(const std::string& text, double& value) {
    const char* b = text.c_str();
    char* e = nullptr;
    value = std::strtod(b, &e);
    while (*e == ' ')
        ++e;
    return e != b && *e == '\0' && std::isfinite(value);
}

// "forceSingSeg" as stored: the single-segment mode when absent.
int storedMode() {
    return StoredWhole(general("forceSingSeg"), kSingleSegmentMode);
}

} // namespace

int ReadOperationMode() {
    int mode = storedMode();
    if (mode < 0 || mode > 2 || SingleSegmentOnly())
        mode = kSingleSegmentMode;
    return mode;
}

const char* TimeUnitLabel(int index) {
    static const char* const labels[] = {"sec", "ms", "us", "ns"};
    return labels[index < 0 || index > 3 ? 0 : index];
}

const char* LevelUnitLabel(int index) {
    return index == 1 ? "mV" : "V";
}

double UnitFactor(int index) {
    return std::pow(10.0, 3 * index);
}

int TimeUnitIndex(double stored) {
    return stored >= 0 && stored < 4 ? static_cast<int>(stored) : 1;
}

int LevelUnitIndex(double stored) {
    return stored >= 0 && stored < 2 ? static_cast<int>(stored) : 0;
}

PulseOptions LoadPulseOptions(const PulseLimits& limits, int channel) {
    PulseOptions o;
    o.mode = ReadOperationMode();
    o.sequencedModes = limits.sequencedModes;
    o.timeUnit = TimeUnitIndex(ReadTrainRootNumber(channel, "tmUnitInd", 1));
    o.levelUnit = LevelUnitIndex(ReadTrainRootNumber(channel, "voltInd", 0));
    const ForcedClock forced = forcedClock();
    o.forceClock = forced.on;
    if (forced.clock)
        o.forcedClock = *forced.clock;
    else
        o.forcedClock = EngNumberText(ExchangeFile::Settings::SampleClock(channel, 0), 9);
    if (auto yRes = LeadingValue(general("yRes")))
        o.yRes = ClampedInt(*yRes);
    return o;
}

bool StorePulseOptions(const PulseOptions& o, const PulseLimits& limits, int channel) {
    double clock = 0;
    if (!parseNumber(o.forcedClock, clock) || clock < limits.sclkMin || clock > limits.sclkMax) {
        ask(launch().appName, "SCLK value out of range", Buttons::Ok, Icon::Exclamation);
        return false;
    }
    WriteGeneralSetting("forceSingSeg", strprintf("%d", o.mode), kPulseSettings);
    WriteGeneralSetting("yRes", strprintf("%d", o.yRes), kPulseSettings);
    TrainEdit e(channel);
    e.setRoot("tmUnitInd", strprintf("%d", o.timeUnit));
    e.setRoot("voltInd", strprintf("%d", o.levelUnit));
    StoreForcedClock(e.raw(), {o.forceClock, o.forcedClock});
    return e.commit();
}

std::string OptionsSummary() {
    int mode = storedMode();
    static const char* const names[] = {"Freely Selected", "Force Single Segment",
                                        "Section per Segment"};
    const char* name = mode >= 0 && mode <= 2 ? names[mode] : "Not defined";
    std::string clock = "Disable";
    if (const ForcedClock forced = forcedClock(); forced.on && forced.clock)
        clock = *forced.clock;
    return strprintf("Options: Operation mode= %s.       Forced SCLK=", name) + clock;
}

bool SummaryHidden() {
    return general("hideSumm") == "Hide";
}

void ToggleSummaryShown() {
    WriteGeneralSetting("hideSumm", SummaryHidden() ? "Show" : "Hide", kPulseSettings);
}

} // namespace tw
