#include "pulse/PulseOptions.h"

#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "host/ExchangeFile.h"
#include "host/PulseExchange.h"
#include "pulse/TrainModel.h"

#include <cmath>
#include <cstdlib>

namespace tw {

namespace {

std::string general(const LaunchState& session, const char* key) {
    std::string v;
    ProfileRecord(session, kPulseSettings, key, v, 260, session.generalIni, true);
    return v;
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
int storedMode(const LaunchState& session) {
    return StoredWhole(general(session, "forceSingSeg"), kSingleSegmentMode);
}

} // namespace

int ReadOperationMode(const LaunchState& session) {
    int mode = storedMode(session);
    if (mode < 0 || mode > 2 || SingleSegmentOnly(session))
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

PulseOptions LoadPulseOptions(const LaunchState& session, const PulseLimits& limits, int channel) {
    PulseOptions o;
    o.mode = ReadOperationMode(session);
    o.sequencedModes = limits.sequencedModes;
    o.timeUnit = TimeUnitIndex(ReadTrainRootNumber(session, channel, "tmUnitInd", 1));
    o.levelUnit = LevelUnitIndex(ReadTrainRootNumber(session, channel, "voltInd", 0));
    const ForcedClock forced = ReadForcedClock(session.exchangeFile);
    o.forceClock = forced.on;
    if (forced.clock)
        o.forcedClock = *forced.clock;
    else
        o.forcedClock = EngNumberText(ExchangeFile::Settings(session).SampleClock(channel, 0), 9);
    if (auto yRes = LeadingValue(general(session, "yRes")))
        o.yRes = ClampedInt(*yRes);
    return o;
}

Result StorePulseOptions(const LaunchState& session, const PulseOptions& o,
                         const PulseLimits& limits, int channel) {
    double clock = 0;
    if (!parseNumber(o.forcedClock, clock) || clock < limits.sclkMin || clock > limits.sclkMax)
        return Notice{0, session.appName, "SCLK value out of range", Buttons::Ok,
                      Icon::Exclamation};
    WriteGeneralSetting(session, "forceSingSeg", strprintf("%d", o.mode), kPulseSettings);
    WriteGeneralSetting(session, "yRes", strprintf("%d", o.yRes), kPulseSettings);
    TrainEdit e(session, channel);
    e.setRoot("tmUnitInd", strprintf("%d", o.timeUnit));
    e.setRoot("voltInd", strprintf("%d", o.levelUnit));
    StoreForcedClock(e.raw(), {o.forceClock, o.forcedClock});
    return e.commit() ? Result() : Result::Failed();
}

std::string OptionsSummary(const LaunchState& session) {
    int mode = storedMode(session);
    static const char* const names[] = {"Freely Selected", "Force Single Segment",
                                        "Section per Segment"};
    const char* name = mode >= 0 && mode <= 2 ? names[mode] : "Not defined";
    std::string clock = "Disable";
    if (const ForcedClock forced = ReadForcedClock(session.exchangeFile); forced.on && forced.clock)
        clock = *forced.clock;
    return strprintf("Options: Operation mode= %s.       Forced SCLK=", name) + clock;
}

bool SummaryHidden(const LaunchState& session) {
    return general(session, "hideSumm") == "Hide";
}

void ToggleSummaryShown(const LaunchState& session) {
    WriteGeneralSetting(session, "hideSumm", SummaryHidden(session) ? "Show" : "Hide",
                        kPulseSettings);
}

} // namespace tw
