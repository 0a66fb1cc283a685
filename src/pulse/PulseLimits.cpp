#include "pulse/PulseLimits.h"

#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "document/WaveFormats.h"
#include "host/ExchangeFile.h"
#include "host/InstrumentDescription.h"
#include "pulse/TrainModel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace tw {

namespace {

std::string described(const LaunchState& session, const char* section, const std::string& key,
                      bool quiet) {
    std::string v;
    ProfileRecord(session, section, key.c_str(), v, 260, session.descrFile, quiet);
    return v;
}

// The numbers of a list after skipping `words` leading words, up to the first word that is no
// number. Infinities and overflows are kept, for the range checks to refuse them.
std::vector<double> numbersAfter(const std::string& text, int words) {
    std::istringstream in(text);
    std::string w;
    for (int i = 0; i < words; ++i)
        in >> w;
    std::vector<double> out;
    while (in >> w) {
        char* end = nullptr;
        double v = std::strtod(w.c_str(), &end);
        if (end == w.c_str())
            break;
        out.push_back(v);
    }
    return out;
}

} // namespace

int PulseLimits::LinkBound() const {
    return maxLinkNo > 0 ? maxLinkNo : kMaxTrainCount;
}

int PulseLimits::LoopBound() const {
    return maxLoopNo > 0 ? maxLoopNo : INT_MAX;
}

bool SingleSegmentOnly(const LaunchState& session) {
    std::string modes = described(session, "ParmPnlName", "WformMode", true);
    if (modes.empty())
        modes = described(session, "ParmPnlName", "WfMode", true);
    return !modes.empty() && modes.find("Seq") == std::string::npos;
}

PulseLimits LoadPulseLimits(const LaunchState& session) {
    PulseLimits lim;
    const std::string& descr = session.descrFile;
    // A whole-number limit: absent gives 0 (reported by the store), out of range 0 (reported).
    auto whole = [&](const char* section, const char* key, long long high) {
        auto v = StoredNumber(described(session, section, key, false));
        return v ? static_cast<int>(CheckedWhole(session, *v, 0, high, 0, {descr, section, key}))
                 : 0;
    };
    lim.maxLinkNo = whole("SegmTbl", "MaxLinkNo", kMaxTrainCount);
    lim.maxLoopNo = whole("SegmTbl", "MaxLoopNo", INT_MAX);
    lim.maxSequStp = whole("SegmTbl", "MaxSequStp", kMaxSequenceSteps);
    if (auto t = StoredNumber(described(session, "SegmTbl", "MinSequLoopTime", false)))
        if (CheckedRange(session, *t, 0, 1e6, {descr, "SegmTbl", "MinSequLoopTime"}, "0"))
            lim.minLoopTime = *t;

    // Each clock step adds the lowest clock, so it must be a whole sample a second at least.
    auto sclk = numbersAfter(described(session, "ParmLst", "Sclk", false), 1);
    if (sclk.size() >= 3) {
        if (sclk[1] >= 1 && sclk[1] <= sclk[2] && sclk[2] <= kMostSampleClock) {
            lim.sclkMin = sclk[1];
            lim.sclkMax = sclk[2];
        } else {
            ReportStoredValue(session, {descr, "ParmLst", "Sclk"},
                              strprintf("The sample clock range %.15g..%.15g does not lie within "
                                        "1..%.15g; no sample clock range is used.",
                                        sclk[1], sclk[2], kMostSampleClock));
        }
    }

    // Segment lengths size the segment files: none beyond what the machine holds of 16-bit points.
    auto hrange = numbersAfter(described(session, "Axis", "Hrange", false), 0);
    StoredKey where{descr, "Axis", "Hrange"};
    const auto most = static_cast<long long>(MemoryPointLimit(sizeof(std::int16_t)));
    if (hrange.size() >= 2)
        lim.minWavelength =
            static_cast<double>(CheckedWhole(session, hrange[1], 0, most, 0, where));
    if (hrange.size() >= 3)
        lim.memorySize =
            static_cast<double>(CheckedWhole(session, hrange[2], 0, most, most, where));

    std::string resKey = "resFactor" + ExchangeFile::Settings(session).Rsclk();
    // An increment is a count of points, held as an int: bounded by both.
    const long long mostIncrement = std::min<long long>(most, INT_MAX);
    if (auto res = StoredNumber(described(session, "Axis", resKey, true)))
        lim.wlIncrement = static_cast<int>(
            CheckedWhole(session, *res, 1, mostIncrement, 2, {descr, "Axis", resKey}));

    double vMin = 0, vMax = 0;
    if (ReadCodeRange(session, "Vpts" + ExchangeFile::Settings(session).Wfmt().value_or(""), vMin,
                      vMax)) {
        lim.vHalf = vMax;
        lim.codeBits = ResolutionBits(vMin, vMax);
    }

    auto ampl = numbersAfter(described(session, "ParmLst", "Ampl", false), 2);
    std::string indep = described(session, "ParmConditions", "ampOfs_Indep", true);
    lim.ampOfsIndependent = indep == "true";
    if (ampl.size() >= 2 && CheckedRange(session, ampl[1], 0, 1e6, {descr, "ParmLst", "Ampl"}, "0"))
        lim.levelMax = lim.ampOfsIndependent ? ampl[1] : ampl[1] / 2;
    lim.levelMin = -lim.levelMax;
    lim.sequencedModes = !SingleSegmentOnly(session);
    return lim;
}

} // namespace tw
