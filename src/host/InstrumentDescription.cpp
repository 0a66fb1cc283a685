#include "host/InstrumentDescription.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "document/SegmentTables.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace tw {

int ResolutionBits(double vMin, double vMax) {
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
bool has(const std::string& file, const char* section, const char* key) {
    std::string v;
    return ProfileRecord(section, key, v, 260, file, true) == 1;
}

// Reads key first from the model file (quietly), then from the description file (reported).
std::string modelFirst(const std::string& modelFile, const char* section, const char* key) {
    std::string v;
    if (FileExists(modelFile) && ProfileRecord(section, key, v, 260, modelFile, true))
        return v;
    ProfileRecord(section, key, v, 260, launch().descrFile, false);
    return v;
}

void readFpSegRanges(InstrumentLimits& lim, const std::string& descr) {
    std::string v;
    ProfileRecord("FmComposer", "FmLen", v, 280, descr, false);
    ReadRangeLine(v, lim.fmLenMin, lim.fmLenMax);
    ProfileRecord("ParmLst", "ModCarFrq", v, 280, descr, false);
    ReadRangeLine(v, lim.fmMin, lim.fmMax);
    ProfileRecord("ParmLst", "FPSeg", v, 280, descr, false);
    ReadRangeLine(v, lim.fpSegMin, lim.fpSegMax);
}
} // namespace

InstrumentLimits LoadInstrumentDescription() {
    const LaunchState& ls = launch();
    const std::string& exch = ls.exchangeFile;
    const std::string& descr = ls.descrFile;
    bool fm = ls.composerId == kFmComposer;
    InstrumentLimits lim;
    std::string v;

    int channel = 0;
    if (ProfileRecord("Settings", "ActiveCh", v, 260, exch, true))
        channel = std::atoi(v.c_str());
    SetActiveChannel(channel);
    lim.segTableSection = fm ? std::string("FmSegmTbl") : strprintf("SegmTbl-ch%d", channel);

    double seg = ls.fpSegMode ? ProfileNumber("FPSeg", 0, "Settings", kAbsent)
                              : ProfileNumber("AcSeg", channel, "Settings", kAbsent);
    if (IsAbsent(seg)) {
        SetActiveSegment(1);
        StoreActiveSegment(1, ls.fpSegMode);
    } else {
        SetActiveSegment(static_cast<int>(seg));
    }

    if (ProfileRecord("Instrument", "Channels", v, 260, exch, true))
        lim.channels = std::atoi(v.c_str());
    if (ls.composerId == kPulseComposer)
        return lim;

    ProfileRecord("Instrument", "Model", lim.model, 260, exch, false);
    lim.modelFile = ls.tmpFolder + lim.model + ".ini";

    if (fm && ls.fpSegMode)
        readFpSegRanges(lim, descr);

    if (!fm && ProfileRecord("WaveDown", "PattSync", v, 260, descr, true))
        lim.pattSyncTable = EqualsNoCase(v, "PattTbl");
    lim.moduleChans = has(descr, "Instrument", "ModuleChans");

    std::istringstream hrange(modelFirst(lim.modelFile, "Axis", "HRange"));
    hrange >> lim.initialWavelength >> lim.wavelengthMin >> lim.wavelengthMax;
    ReadRangeLine(modelFirst(lim.modelFile, "ParmLst", "AcSeg"), lim.segmentMin, lim.segmentMax);

    std::string codeKey = "Vpts";
    if (ProfileRecord("Settings", "Wfmt", v, 260, exch, true))
        codeKey = v;
    ProfileRecord("Axis", codeKey.c_str(), v, 260, descr, false);
    std::istringstream(v) >> lim.vMin >> lim.vMax;
    lim.codeSpan = static_cast<int>(lim.vMax - lim.vMin);
    lim.resolutionBits = ResolutionBits(lim.vMin, lim.vMax);

    std::string grouping;
    ProfileRecord("StartUp", "ForceYresWaveGrouping", grouping, 260, ls.generalIni, true);
    if (!grouping.empty() && !EqualsNoCase(grouping, "Yes")) {
        SetWaveFolder("");
    } else {
        std::string folder = ls.tmpFolder + strprintf("Wav%dbit/", lim.resolutionBits);
        CreateFolder(folder);
        SetWaveFolder(folder);
    }

    std::string rsclk;
    ProfileRecord("Settings", "Rsclk", rsclk, 180, exch, true);
    std::string resKey = "resFactor" + rsclk;
    if (ProfileRecord("Axis", resKey.c_str(), v, 260, descr, true))
        lim.resFactor = std::atoi(v.c_str());
    lim.hasTraceTypes = ls.composerId == kStandardComposer && has(descr, "ParmLst", "TracType");
    lim.commonSegmForAllChan = has(descr, "WaveDown", "CommonSegmForAllChan");
    if (ProfileRecord("WaveDown", "patSyncFactor", v, 260, descr, true))
        lim.patSyncFactor = std::atoi(v.c_str());
    return lim;
}

} // namespace tw
