#pragma once
#include <string>

namespace tw::sim {

// The sample instrument's limits, from its description file.
struct SimLimits {
    std::string model;
    long segmentMin = 1, segmentMax = 16384;       // [ParmLst] AcSeg
    long lengthMin = 16, lengthMax = 16777216;     // [Axis] HRange: shortest and longest segment
    long granularity = 4;                          // [Axis] resFactor
    long memory = 16777216;                        // points of one channel: the longest segment
    long maxSteps = 4096;                          // [SegmTbl] MaxSequStp
    long maxLoops = 1000000;                       // [SegmTbl] MaxLoopNo
    double clockMin = 10, clockMax = 250e6;        // [ParmLst] Sclk
    double amplitudeMin = 0.05, amplitudeMax = 10; // [ParmLst] Ampl
    long fmPointsMax = 65536;                      // [FmComposer] FmLen
};

// Reads the limits of a description file; an error names the key that is missing or wrong.
bool ReadSimLimits(const std::string& descriptionFile, SimLimits& limits, std::string& error);

} // namespace tw::sim
