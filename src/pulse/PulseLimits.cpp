#include "pulse/PulseLimits.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "host/InstrumentDescription.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace tw {

namespace {

std::string described(const char* section, const std::string& key, bool quiet) {
    std::string v;
    ProfileRecord(section, key.c_str(), v, 260, launch().descrFile, quiet);
    return v;
}

std::string exchangeSetting(const char* key) {
    std::string v;
    ProfileRecord("Settings", key, v, 180, launch().exchangeFile, true);
    return v;
}

// The numbers of a list after skipping `words` leading words.
std::vector<double> numbersAfter(const std::string& text, int words) {
    std::istringstream in(text);
    std::string w;
    for (int i = 0; i < words; ++i)
        in >> w;
    std::vector<double> out;
    double v;
    while (in >> v)
        out.push_back(v);
    return out;
}

double at(const std::vector<double>& v, size_t i) {
    return i < v.size() ? v[i] : 0;
}

} // namespace

bool SingleSegmentOnly() {
    std::string modes = described("ParmPnlName", "WformMode", true);
    if (modes.empty()) modes = described("ParmPnlName", "WfMode", true);
    return !modes.empty() && modes.find("Seq") == std::string::npos;
}

PulseLimits LoadPulseLimits() {
    PulseLimits lim;
    lim.maxLinkNo = std::atoi(described("SegmTbl", "MaxLinkNo", false).c_str());
    lim.maxLoopNo = std::atoi(described("SegmTbl", "MaxLoopNo", false).c_str());
    lim.maxSequStp = std::atoi(described("SegmTbl", "MaxSequStp", false).c_str());
    lim.minLoopTime = std::atof(described("SegmTbl", "MinSequLoopTime", false).c_str());

    auto sclk = numbersAfter(described("ParmLst", "Sclk", false), 1);
    lim.sclkMin = at(sclk, 1);
    lim.sclkMax = at(sclk, 2);

    auto hrange = numbersAfter(described("Axis", "Hrange", false), 0);
    lim.minWavelength = at(hrange, 1);
    lim.memorySize = at(hrange, 2);

    std::string res = described("Axis", "resFactor" + exchangeSetting("Rsclk"), true);
    if (!res.empty()) lim.wlIncrement = std::atoi(res.c_str());
    if (lim.wlIncrement < 1) lim.wlIncrement = 1;

    auto vpts = numbersAfter(described("Axis", "Vpts" + exchangeSetting("Wfmt"), false), 0);
    lim.vHalf = at(vpts, 1);
    double span = std::fabs(at(vpts, 0) - at(vpts, 1));
    lim.codeBits = ResolutionBits(0, span);

    auto ampl = numbersAfter(described("ParmLst", "Ampl", false), 2);
    std::string indep = described("ParmConditions", "ampOfs_Indep", true);
    lim.ampOfsIndependent = indep == "true";
    lim.levelMax = lim.ampOfsIndependent ? at(ampl, 1) : at(ampl, 1) / 2;
    lim.levelMin = -lim.levelMax;
    lim.sequencedModes = !SingleSegmentOnly();
    return lim;
}

} // namespace tw
