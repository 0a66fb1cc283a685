#pragma once
#include "app/LaunchState.h"
#include "app/StoredNumber.h"
#include "host/ExchangeFile.h"

#include <cstddef>

#include <string>
#include <utility>
#include <vector>

namespace tw {

// The points of a segment that has no file yet.
inline constexpr std::size_t kNewSegmentPoints = 1024;

// What the program knows of the instrument: read from the exchange file, the description file
// and the optional per-model file when the document is created.
struct InstrumentLimits {
    int channels = 1;
    std::string model;
    std::string modelFile;
    // Where the host left the user when the load ran; the document takes it over.
    ChannelSegment active;
    std::string segTableSection; // the segment table of that channel
    bool pattSyncTable = false;
    bool moduleChans = false;
    bool hasTraceTypes = false;
    bool commonSegmForAllChan = false;
    int resFactor = 2;
    int patSyncFactor = 2;
    double initialWavelength = 0;
    double wavelengthMin = 0, wavelengthMax = 0;
    double segmentMin = 0, segmentMax = 0;
    double vMin = 0, vMax = 0;
    double codeSpan = 0; // whole part of vMax - vMin
    int resolutionBits = 0;
    std::string waveFolder; // named for the resolution, ends in '/'; "" when none is used
};

// A code range the program takes: finite, vMin < vMax, both within the 32-bit points, and a
// span of a DAC of at most 32 bits.
bool CodeRangeFits(double vMin, double vMax);

// Whole part of log2(span + 1), exact for powers of two: 0..16383 gives 14. 0 for a range that
// does not fit.
int ResolutionBits(double vMin, double vMax);

// Reads the code range of section "Axis", key `key` of the session's description file. A missing
// key is reported by the profile store, a range that does not fit names the key; either leaves 0 0
// and gives false.
bool ReadCodeRange(const LaunchState& session, const std::string& key, double& vMin, double& vMax);

// The instrument description load, for points of pointBytes bytes in memory: no wavelength may
// ask for more of them than the machine's memory holds. Also reads the active channel and
// segment (storing the segment back as 1 when absent) and the wave folder (created). The FM
// composer reads its FM limits afterwards.
InstrumentLimits LoadInstrumentDescription(const LaunchState& session, std::size_t pointBytes = 2);

// Reads "two words, then two numbers" range lines such as "[ParmLst] AcSeg".
bool ReadRangeLine(const std::string& text, double& low, double& high);

// The same for a range that must be finite and lie within low..high: one that does not is
// reported, naming `where`, and read as 0 0 (false).
bool ReadBoundedRange(const LaunchState& session, const std::string& text, const StoredKey& where,
                      double low, double high, double& first, double& second);

// The cardiac generator's last fields, which the description file keeps ("TdWav_Cardiac"), and
// their rewrite in one go.
using DescribedEntries = std::vector<std::pair<std::string, std::string>>;
DescribedEntries CardiacSettings(const std::string& descr);
bool StoreCardiacSettings(const LaunchState& session, const DescribedEntries& entries);

// FM points are 32-bit frequencies: no FM frequency range may pass this.
inline constexpr double kMostFmPoint = 2147483647.0;

} // namespace tw
