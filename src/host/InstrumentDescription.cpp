#include "host/InstrumentDescription.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/PointLimits.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"

#include <cmath>
#include <cstdint>
#include <sstream>

namespace tw {

int ResolutionBits(double vMin, double vMax) {
    if (!CodeRangeFits(vMin, vMax))
        return 0;
    long long values = static_cast<long long>(vMax - vMin) + 1;
    int bits = 0;
    while (values > 1) {
        values >>= 1;
        ++bits;
    }
    return bits;
}

bool ReadRangeLine(const std::string& text, double& low, double& high) {
    std::istringstream in(text);
    std::string word;
    return static_cast<bool>(in >> word >> word >> low >> high);
}

namespace {
bool has(const LaunchState& ls, const char* section, const char* key) {
    std::string v;
    return ProfileRecord(ls, section, key, v, 260, ls.descrFile, true) == 1;
}

// Reads key first from the model file (quietly), then from the description file (reported).
// `from` names the file the value came from.
std::string modelFirst(const LaunchState& ls, const std::string& modelFile, const char* section,
                       const char* key, std::string& from) {
    std::string v;
    from = modelFile;
    if (FileExists(modelFile) && ProfileRecord(ls, section, key, v, 260, modelFile, true))
        return v;
    from = ls.descrFile;
    ProfileRecord(ls, section, key, v, 260, from, false);
    return v;
}

// A wavelength sizes the point array and the working file, so none may ask for more points than
// the machine can hold. A refused initial wavelength gives a new segment's length, a
// refused limit the bound itself.
double checkedWavelength(const LaunchState& ls, double points, double most, double fallback,
                         const StoredKey& where) {
    if (std::isfinite(points) && std::trunc(points) > most) {
        ReportStoredValue(ls, where,
                          strprintf("Value %.15g is more points than this machine can "
                                    "hold (%.15g); %.15g is used.",
                                    points, most, fallback));
        return fallback;
    }
    return static_cast<double>(CheckedWhole(ls, points, 0, static_cast<long long>(most),
                                            static_cast<long long>(fallback), where));
}

void readWavelengths(const LaunchState& ls, InstrumentLimits& lim, std::size_t pointBytes) {
    std::string from;
    std::istringstream hrange(modelFirst(ls, lim.modelFile, "Axis", "HRange", from));
    double initial = 0, low = 0, high = 0;
    hrange >> initial >> low >> high;
    StoredKey where{from, "Axis", "HRange"};
    const double most = static_cast<double>(MemoryPointLimit(pointBytes));
    lim.initialWavelength =
        checkedWavelength(ls, initial, most, static_cast<double>(kNewSegmentPoints), where);
    lim.wavelengthMin = checkedWavelength(ls, low, most, 0, where);
    lim.wavelengthMax = checkedWavelength(ls, high, most, most, where);
}

// Wave folders are named for the resolution: without a code range there is none to name.
void setWaveFolder(const LaunchState& ls, InstrumentLimits& lim) {
    std::string grouping;
    ProfileRecord(ls, "StartUp", "ForceYresWaveGrouping", grouping, 260, ls.generalIni, true);
    if (lim.resolutionBits == 0 || (!grouping.empty() && !EqualsNoCase(grouping, "Yes")))
        return;
    lim.waveFolder = ls.tmpFolder + strprintf("Wav%dbit/", lim.resolutionBits);
    CreateFolder(lim.waveFolder);
}

// Small whole-number settings of the description file: `def` when absent, reported and `def`
// when outside 1..high.
int describedCount(const LaunchState& ls, const std::string& key, const char* section, int high,
                   int def) {
    std::string v;
    std::optional<double> count;
    if (!ProfileRecord(ls, section, key.c_str(), v, 260, ls.descrFile, true) ||
        !(count = StoredNumber(v)))
        return def;
    return static_cast<int>(CheckedWhole(ls, *count, 1, high, def, {ls.descrFile, section, key}));
}
} // namespace

bool ReadBoundedRange(const LaunchState& session, const std::string& text, const StoredKey& where,
                      double low, double high, double& first, double& second) {
    double a = 0, b = 0;
    ReadRangeLine(text, a, b);
    bool fits = std::isfinite(a) && std::isfinite(b) && a >= low && b <= high && a <= b;
    if (!fits) {
        ReportStoredValue(session, where,
                          strprintf("The range %.15g..%.15g does not lie within "
                                    "%.15g..%.15g; no range is used.",
                                    a, b, low, high));
        a = b = 0;
    }
    first = a;
    second = b;
    return fits;
}

bool CodeRangeFits(double vMin, double vMax) {
    return std::isfinite(vMin) && std::isfinite(vMax) && vMin < vMax && vMin >= INT32_MIN &&
           vMax <= INT32_MAX && vMax - vMin <= 4294967295.0;
}

bool ReadCodeRange(const LaunchState& session, const std::string& key, double& vMin, double& vMax) {
    const std::string& descr = session.descrFile;
    std::string v;
    double low = 0, high = 0;
    if (!ProfileRecord(session, "Axis", key.c_str(), v, 260, descr, false)) {
        vMin = vMax = 0;
        return false;
    }
    std::istringstream(v) >> low >> high;
    if (!CodeRangeFits(low, high)) {
        ReportStoredValue(session, {descr, "Axis", key},
                          strprintf("The code range %.15g..%.15g is not one of a DAC of 1 to 32 "
                                    "bits; no code range is used.",
                                    low, high));
        vMin = vMax = 0;
        return false;
    }
    vMin = low;
    vMax = high;
    return true;
}

InstrumentLimits LoadInstrumentDescription(const LaunchState& ls, std::size_t pointBytes) {
    InstrumentLimits lim;
    std::string v;

    // The channel count first: the active channel must be one of the instrument's channels.
    lim.channels = ExchangeFile::Instrument(ls).Channels();
    lim.active.channel = ExchangeFile::Active(ls).Channel(lim.channels, 0);
    lim.segTableSection = ExchangeFile::Segments::ChannelTable(lim.active.channel);

    if (auto segment = ExchangeFile::Active(ls).Segment(lim.active.channel, ls.fpSegMode, 1)) {
        lim.active.segment = *segment;
    } else {
        lim.active.segment = 1;
        ExchangeFile::Active(ls).StoreSegment(1, ls.fpSegMode);
    }

    lim.model = ExchangeFile::Instrument(ls).Model(true);
    lim.modelFile = ls.tmpFolder + lim.model + ".ini";

    if (ProfileRecord(ls, "WaveDown", "PattSync", v, 260, ls.descrFile, true))
        lim.pattSyncTable = EqualsNoCase(v, "PattTbl");
    lim.moduleChans = has(ls, "Instrument", "ModuleChans");

    readWavelengths(ls, lim, pointBytes);
    std::string from;
    std::string segments = modelFirst(ls, lim.modelFile, "ParmLst", "AcSeg", from);
    ReadBoundedRange(ls, segments, {from, "ParmLst", "AcSeg"}, 0, kMaxSegmentNumber, lim.segmentMin,
                     lim.segmentMax);

    ReadCodeRange(ls, ExchangeFile::Settings(ls).Wfmt().value_or("Vpts"), lim.vMin, lim.vMax);
    lim.codeSpan = std::trunc(lim.vMax - lim.vMin);
    lim.resolutionBits = ResolutionBits(lim.vMin, lim.vMax);
    setWaveFolder(ls, lim);

    lim.resFactor = describedCount(ls, "resFactor" + ExchangeFile::Settings(ls).Rsclk(), "Axis",
                                   static_cast<int>(kMaxWavePoints), 2);
    lim.hasTraceTypes = has(ls, "ParmLst", "TracType");
    lim.commonSegmForAllChan = has(ls, "WaveDown", "CommonSegmForAllChan");
    lim.patSyncFactor =
        describedCount(ls, "patSyncFactor", "WaveDown", static_cast<int>(kMaxWavePoints), 2);
    return lim;
}

namespace {
constexpr const char* kCardiacSection = "TdWav_Cardiac";
}

DescribedEntries CardiacSettings(const std::string& descr) {
    return profile::SectionEntries(descr, kCardiacSection);
}

bool StoreCardiacSettings(const LaunchState& session, const DescribedEntries& entries) {
    profile::Transaction t(session, session.descrFile);
    for (const auto& [key, value] : entries)
        t.write(kCardiacSection, key, value);
    return t.commit();
}

} // namespace tw
