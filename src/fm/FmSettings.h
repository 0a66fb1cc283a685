#pragma once
#include "app/Prompter.h"
#include "document/Composer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tw {

// The frame of the FM composer's modulating waveform: the instrument's FM limits, the carrier
// (base) and the span the waveform covers (deviation). The FM composer owns one of these.
struct FmSettings : FmLimits {
    double base = 0;
    double deviation = 0;
    int fmFuncMode = 0;
    int wavelength = 0;        // from the exchange file outside FP-segment mode
    double vMin = 0, vMax = 0; // always base -/+ deviation / 2 after a change
};

// Its warnings go through `prompts`, captioned with the session's name.

// Reads the limits and the wavelength, then establishes base and deviation (InitFmBase).
// False when the carrier is outside the limits: the user was told and the application closes.
// In FP-segment mode the deviation is the active segment's.
bool LoadFmLimits(const LaunchState& session, Prompter& prompts, FmSettings& fm, int activeSegment);

// Establishes base, deviation and the vertical range, writing the deviation back to the
// exchange file. False (after kMsgFmClockLimit) when the carrier cannot be brought inside the
// limits.
bool InitFmBase(const LaunchState& session, Prompter& prompts, FmSettings& fm, int activeSegment);

// Abstract mode: samples on a 0..1e9 scale instead of frequencies, as the description file
// says. The FM composer decides it once, when it is created with the main frame.
bool DecideFmAbstractMode(const LaunchState& session);

// Outcome of a typed deviation: when refused, boxText is the previous deviation to show again.
struct DeviationChange {
    bool accepted = false;
    std::string boxText;
};

// The user's new deviation from the parameter bar. On acceptance the range follows, the
// exchange file and the host are told and the wave parameter section is dropped; the caller
// then refreshes the FM markers and the views.
DeviationChange ApplyDeviation(const LaunchState& session, Prompter& prompts, FmSettings& fm,
                               std::string_view boxText, int activeSegment);

// After loading a wave of absolute frequencies: range and deviation from its values. Returns
// the text for the deviation box (also stored as [Settings] "FmDev0").
std::string FmRangeFromLoadedWave(const LaunchState& session, FmSettings& fm,
                                  std::span<const std::int32_t> points);

// FP-segment mode: the active segment's own deviation, read before its working file is loaded.
void LoadSegmentDeviation(const LaunchState& session, FmSettings& fm, int activeSegment);

} // namespace tw
