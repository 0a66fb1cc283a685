#pragma once
#include "app/Result.h"
#include "pulse/PulseLimits.h"

#include <string>

namespace tw {

// Modes of operation: how a train is cut into instrument segments. Continuous is set only by
// compilation, for one download.
enum OperationMode {
    kSequencedMode = 0,
    kSingleSegmentMode = 1,
    kSectionPerSegmentMode = 2,
    kContinuousMode = 5
};

inline constexpr const char* kPulseSettings = "PulseComp"; // section of the general settings

// "forceSingSeg" of the general settings: 1 when outside 0..2 or when the instrument plays
// single segments only.
int ReadOperationMode(const LaunchState& session);

const char* TimeUnitLabel(int index);  // "sec", "ms", "us", "ns"
const char* LevelUnitLabel(int index); // "V", "mV"
double UnitFactor(int index);          // 10 to the power 3 x index
// The stored "tmUnitInd" and "voltInd" as indexes of those labels; a value outside them reads
// as the default, 1 ("ms") and 0 ("V").
int TimeUnitIndex(double stored);
int LevelUnitIndex(double stored);

// What the Options dialog shows and stores.
struct PulseOptions {
    int mode = kSingleSegmentMode;
    int timeUnit = 1;
    int levelUnit = 0;
    bool forceClock = false;
    std::string forcedClock; // the edit box text
    int yRes = 50;
    bool sequencedModes = true; // the first and third mode buttons are enabled
};

// The options of the channel's train (0-based channel).
PulseOptions LoadPulseOptions(const LaunchState& session, const PulseLimits& limits, int channel);

// Stores the options; refuses a forced clock outside the instrument's range (ticked or not) with
// "SCLK value out of range", storing nothing.
Result StorePulseOptions(const LaunchState& session, const PulseOptions& options,
                         const PulseLimits& limits, int channel);

// "Options: Operation mode= <name>.       Forced SCLK=<text or Disable>"
std::string OptionsSummary(const LaunchState& session);

// "hideSumm": the download summary is skipped only for exactly "Hide".
bool SummaryHidden(const LaunchState& session);
// "Show Pulse Summary": flips "hideSumm" between "Hide" and "Show".
void ToggleSummaryShown(const LaunchState& session);

} // namespace tw
