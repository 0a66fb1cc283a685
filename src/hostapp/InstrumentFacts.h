#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// What the host shows and tells the composers about an instrument, from its description file.
struct InstrumentFacts {
    std::string model;     // the description's file name without ".ini"
    std::string descrFile; // its path
    std::string name;      // [Instrument] Name; the model when absent
    std::string family;    // [Instrument] Family; the model when absent
    int channels = 1;      // [Instrument] Channels, 1..kMaxChannels
    std::int64_t initialPoints = 0, minPoints = 0, maxPoints = 0; // [Axis] HRange
    int firstSegment = 1, lastSegment = 1;                        // [ParmLst] AcSeg
    std::string sampleClock;                                      // [ParmLst] Sclk's default
};

struct FactsLoad {
    InstrumentFacts facts;
    std::string error; // names the file and the key that is missing or out of bounds
};

FactsLoad LoadInstrumentFacts(const std::string& descrFile);

// The models whose description ("<model>.ini") lies in folder, sorted.
std::vector<std::string> InstrumentModels(const std::string& folder);

// The numbers among the blank-separated words of a value ("Segment Number 1 16384": 1, 16384).
std::vector<double> NumbersIn(const std::string& value);

} // namespace tw
