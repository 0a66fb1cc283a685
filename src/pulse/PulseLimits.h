#pragma once
#include "app/LaunchState.h"

#include <string>

namespace tw {

// The instrument limits the pulse-train composer works within, read from the description file
// (and the exchange file's "Settings" for the key suffixes) when the pulse editor is created.
struct PulseLimits {
    int maxLinkNo = 0;      // "SegmTbl" "MaxLinkNo": segment table size
    int maxLoopNo = 0;      // "SegmTbl" "MaxLoopNo": largest section repeat
    int maxSequStp = 0;     // "SegmTbl" "MaxSequStp": sequence table size
    double minLoopTime = 0; // "SegmTbl" "MinSequLoopTime", seconds
    double sclkMin = 0;     // "ParmLst" "Sclk"
    double sclkMax = 0;
    double minWavelength = 0; // "Axis" "Hrange", points
    double memorySize = 0;
    int wlIncrement = 2; // "Axis" "resFactor" + Rsclk
    double vHalf = 0;    // second number of "Axis" "Vpts" + Wfmt, codes
    int codeBits = 0;    // whole part of log2(|first - second| + 1) of the same key
    double levelMin = 0; // volts
    double levelMax = 0;
    bool ampOfsIndependent = false;
    bool sequencedModes = true; // false when the waveform-mode list exists without "Seq"

    // The most links a train may hold: "MaxLinkNo", or the program's own bound without one.
    int LinkBound() const;
    // The largest repeat a train from a file may hold: "MaxLoopNo", or any without one.
    int LoopBound() const;
};

// The most samples the segments of one train hold in all: each segment is built in memory before
// it is written.
inline constexpr long long kMaxTrainSamples = 1LL << 27;
// The longest sequence table the program builds.
inline constexpr int kMaxSequenceSteps = 1 << 20;
// The highest sample clock any description may give, samples per second.
inline constexpr double kMostSampleClock = 1e12;
// The most times the train's clock is raised by its base to fit a wavelength.
inline constexpr double kMostClockSteps = 1 << 22;

// Reads the limits; a value out of range is reported, naming its key, and leaves its default.
PulseLimits LoadPulseLimits(const LaunchState& session);

// True when the session's description file names its waveform modes ("WformMode", else "WfMode")
// and none is "Seq": such an instrument plays single segments only.
bool SingleSegmentOnly(const LaunchState& session);

} // namespace tw
