#include "fm/FmSettings.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "document/SegmentTables.h"
#include "document/WaveFormats.h"
#include "fm/FmNumberText.h"
#include "host/HostLink.h"
#include "host/InstrumentDescription.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace tw {

namespace {

// The whole part of a stored number; `def` when the key was absent (the sentinel has no
// integer form).
int wholeOr(double value, int def) {
    if (IsAbsent(value) || !std::isfinite(value) || std::fabs(value) > 2e9)
        return def;
    return static_cast<int>(value);
}

// A range of the description file that must lie within 0..most.
void readRange(const char* section, const char* key, double most, double& low, double& high) {
    std::string v;
    ProfileRecord(section, key, v, 280, launch().descrFile, false);
    ReadBoundedRange(v, {launch().descrFile, section, key}, 0, most, low, high);
}

// A stored deviation, or a tenth of the carrier when there is none.
double storedDeviation(const std::string& section, const std::string& key, double base) {
    std::string text;
    if (ProfileRecord(section, key.c_str(), text, 80, launch().exchangeFile, true))
        if (auto d = LeadingValue(text))
            return *d;
    return base * 0.1;
}

// A carrier becomes the FM composer's initial point, so it must be a 32-bit frequency.
bool carrierFits(double base, const std::string& file, const std::string& section,
                 const std::string& key, std::string_view used) {
    return CheckedRange(base, 0, kMostFmPoint, {file, section, key}, used);
}

bool descrHas(const char* section, const char* key, std::string* value = nullptr) {
    std::string v;
    bool present = ProfileRecord(section, key, v, 260, launch().descrFile, true) == 1;
    if (value)
        *value = v;
    return present;
}

void warn(const std::string& text) {
    ask(launch().appName, text, Buttons::Ok, Icon::Exclamation);
}

void setRange(FmSettings& fm) {
    fm.vMax = fm.base + fm.deviation / 2;
    fm.vMin = fm.base - fm.deviation / 2;
}
} // namespace

bool LoadFmLimits(FmSettings& fm) {
    const LaunchState& ls = launch();
    const auto mostPoints = static_cast<double>(MemoryPointLimit(sizeof(std::int32_t)));
    if (ls.fpSegMode) {
        readRange("FmComposer", "FmLen", mostPoints, fm.fmLenMin, fm.fmLenMax);
        readRange("ParmLst", "ModCarFrq", kMostFmPoint, fm.fmMin, fm.fmMax);
        readRange("ParmLst", "FPSeg", kMaxSegmentNumber, fm.fpSegMin, fm.fpSegMax);
    } else {
        fm.fmFuncMode = wholeOr(ProfileNumber("FmFuncMode", 0, "Settings", kAbsent), 0);
        std::string rangeKey = "Sclk";
        std::string baseKey;
        if (descrHas("FmComposer", "FmBase", &baseKey))
            rangeKey = baseKey;
        readRange("FmComposer", "FmLen", mostPoints, fm.fmLenMin, fm.fmLenMax);
        readRange("ParmLst", rangeKey.c_str(), kMostFmPoint, fm.fmMin, fm.fmMax);
        fm.wavelength = wholeOr(ProfileNumber("FmLen", 0, "FmComposer", kAbsent), 0);
    }
    return InitFmBase(fm);
}

bool InitFmBase(FmSettings& fm) {
    const LaunchState& ls = launch();
    const std::string& exch = ls.exchangeFile;
    const std::string devSection = ls.fpSegMode ? "FmSegmTbl" : "Settings";
    std::string devKey = "FmDev";
    std::string readSection = devSection;

    fm.fmFuncMode = wholeOr(ProfileNumber("FmFuncMode", 0, "Settings", kAbsent), 0);
    fm.base = ProfileNumber("ModCarFrq", 0, "Settings", kAbsent);
    if (!IsAbsent(fm.base) &&
        !carrierFits(fm.base, exch, "Settings", "ModCarFrq", "the instrument's carrier"))
        fm.base = kAbsent;
    if (!IsAbsent(fm.base)) {
        // The host's own carrier is trusted as it is.
        if (ls.fpSegMode)
            devKey += std::to_string(ls.activeSegment);
    } else {
        devKey += std::to_string(fm.fmFuncMode);
        readSection = "Settings";
        std::string baseKey;
        if (descrHas("FmComposer", "FmBase", &baseKey)) {
            fm.base = ProfileNumber(baseKey, 0, "Settings", 6100000);
            if (!carrierFits(fm.base, exch, "Settings", baseKey, "6100000"))
                fm.base = 6100000;
            devKey = "FmDev";
        } else {
            double wmode = ProfileNumber("WformMode", 0, "Settings", kAbsent);
            bool stdWmode = !IsAbsent(wmode) && std::trunc(wmode) == 0;
            std::string model;
            ProfileRecord("Instrument", "Model", model, 260, exch, true);
            if (stdWmode && !StartsWithNoCase(model, "K4412"))
                fm.base = ProfileNumber("StdFmbase", 0, "FmComposer", kAbsent);
            else
                fm.base = ProfileNumber("Sclk", 0, "Settings", kAbsent);
            if (fm.base <= fm.fmMin || fm.base >= fm.fmMax)
                fm.base = fm.fmMax * 0.5;
            AppendLog(strprintf(" isStdWmode= %d\nfmbase=%g", wholeOr(wmode, 0), fm.base));
            if (fm.base <= fm.fmMin || fm.base >= fm.fmMax) {
                warn(vformat(StringText(3000), fm.base, fm.fmMin, fm.fmMax));
                return false;
            }
        }
    }

    fm.deviation = storedDeviation(readSection, devKey, fm.base);
    fm.deviation = std::min({fm.deviation, 2 * (fm.fmMax - fm.base), 2 * (fm.base - fm.fmMin)});

    std::string conflict;
    profile::Transaction tx(exch);
    if (fm.deviation == 0) {
        conflict = strprintf("Settings conflict\nBase frequency=%g and deviation.\nValues cann't "
                             "be corrected automatically and will be set to default",
                             fm.base);
        std::string carrier;
        ProfileRecord("ParmLst", "FmCarFrq", carrier, 80, ls.descrFile, false);
        std::istringstream items(carrier);
        std::string first, second;
        items >> first >> second;
        fm.base = LeadingValue(second).value_or(0);
        if (!carrierFits(fm.base, ls.descrFile, "ParmLst", "FmCarFrq", "0"))
            fm.base = 0;
        fm.deviation = fm.base * 0.1;
        tx.write("Settings", "FmCarFrq", strprintf("%g", fm.base));
    }
    tx.write(devSection, devKey, EngNumberText(fm.deviation, 9));
    tx.commit();
    setRange(fm);
    if (!conflict.empty())
        warn(conflict);
    return true;
}

bool DecideFmAbstractMode() {
    const LaunchState& ls = launch();
    std::string isAbstr;
    if (descrHas("FmComposer", "IsAbstr", &isAbstr) && EqualsNoCase(isAbstr, "NO"))
        return false;
    if (ls.fpSegMode)
        return false;
    return ProfileNumberIn(ls.descrFile, "PtSize", 0, "FmComposer", kAbsent) != 4;
}

DeviationChange ApplyDeviation(FmSettings& fm, std::string_view boxText) {
    const LaunchState& ls = launch();
    std::string text(boxText.substr(0, 20));
    double d = std::strtod(text.c_str(), nullptr);
    double low = fm.base - d / 2, high = fm.base + d / 2;
    if (!std::isfinite(d) || low < fm.fmMin || high > fm.fmMax) {
        warn(StringText(3011));
        return {false, FmGeneralText(fm.deviation)};
    }
    fm.vMax = high;
    fm.vMin = low;
    fm.deviation = d;

    const std::string& exch = ls.exchangeFile;
    if (ls.fpSegMode) {
        profile::Transaction tx(exch);
        tx.write("FmSegmTbl", strprintf("FmDev%d", ls.activeSegment), EngNumberText(d, 9));
        tx.deleteSection(kFmWaveParSection);
        tx.commit();
        return {true, text};
    }
    std::string key = "FmDev";
    if (!descrHas("FmComposer", "FmBase"))
        key += std::to_string(fm.fmFuncMode);
    {
        profile::Transaction tx(exch);
        tx.write("Settings", key, text);
        if (fm.fmFuncMode == 0)
            tx.write("Settings", "FmSt0", text);
        tx.write("FmComposer", "FMax", FmStreamText(high));
        tx.write("FmComposer", "FMin", FmStreamText(low));
        tx.write("Common", "Modif", "Yes");
        tx.deleteSection(kFmWaveParSection);
        tx.commit();
    }
    // The host reads the new deviation from the exchange file, so it is told after the write.
    if (fm.fmFuncMode == 0) {
        std::string host = HostTitle();
        if (!host.empty())
            SendToHost(host, "Cmd=:FM:DEV " + text);
    }
    return {true, text};
}

std::string FmRangeFromLoadedWave(FmSettings& fm, std::span<const std::int32_t> points) {
    double lo = 1e20, hi = -1e20;
    for (std::int32_t p : points) {
        lo = std::min(lo, static_cast<double>(p));
        hi = std::max(hi, static_cast<double>(p));
    }
    lo = std::max(lo, fm.fmMin);
    hi = std::min(hi, fm.fmMax);
    if (lo == hi) {
        fm.deviation = lo * 0.1;
        fm.vMin = lo * 0.95;
        fm.vMax = lo * 1.05;
    } else {
        fm.vMin = lo;
        fm.vMax = hi;
        fm.deviation = hi - lo;
    }
    auto boxText = [](double v) {
        std::string t = strprintf("%10.7f", v);
        TrimNumberText(t);
        return t;
    };
    std::string devText = boxText(fm.deviation);
    profile::Transaction tx(launch().exchangeFile);
    tx.write("Settings", "FmDev0", devText);
    tx.write("Settings", "FmCarFrq", boxText((fm.vMin + fm.vMax) / 2));
    tx.commit();
    return devText;
}

void LoadSegmentDeviation(FmSettings& fm) {
    fm.deviation =
        storedDeviation("FmSegmTbl", strprintf("FmDev%d", launch().activeSegment), fm.base);
    setRange(fm);
}

} // namespace tw
