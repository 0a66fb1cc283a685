#include "fm/FmSettings.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "document/SegmentTables.h"
#include "document/WaveFormats.h"
#include "fm/FmNumberText.h"
#include "host/ExchangeFile.h"
#include "host/FmExchange.h"
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
void readRange(const LaunchState& ls, const char* section, const char* key, double most,
               double& low, double& high) {
    std::string v;
    ProfileRecord(ls, section, key, v, 280, ls.descrFile, false);
    ReadBoundedRange(ls, v, {ls.descrFile, section, key}, 0, most, low, high);
}

// A stored deviation, or a tenth of the carrier when there is none.
double storedDeviation(const LaunchState& ls, FmExchange::DeviationKey key, double base) {
    if (auto text = FmExchange(ls).Deviation(key))
        if (auto d = LeadingValue(*text))
            return *d;
    return base * 0.1;
}

// A carrier becomes the FM composer's initial point, so it must be a 32-bit frequency.
bool carrierFits(const LaunchState& ls, double base, const StoredKey& where,
                 std::string_view used) {
    return CheckedRange(ls, base, 0, kMostFmPoint, where, used);
}

bool descrHas(const LaunchState& ls, const char* section, const char* key,
              std::string* value = nullptr) {
    std::string v;
    bool present = ProfileRecord(ls, section, key, v, 260, ls.descrFile, true) == 1;
    if (value)
        *value = v;
    return present;
}

void showWarning(const LaunchState& ls, Prompter& prompts, const std::string& text) {
    ask(prompts, ls.appName, text, Buttons::Ok, Icon::Exclamation);
}

void setRange(FmSettings& fm) {
    fm.vMax = fm.base + fm.deviation / 2;
    fm.vMin = fm.base - fm.deviation / 2;
}
} // namespace

bool LoadFmLimits(const LaunchState& ls, Prompter& prompts, FmSettings& fm, int activeSegment) {
    const auto mostPoints = static_cast<double>(MemoryPointLimit(sizeof(std::int32_t)));
    if (ls.fpSegMode) {
        readRange(ls, "FmComposer", "FmLen", mostPoints, fm.fmLenMin, fm.fmLenMax);
        readRange(ls, "ParmLst", "ModCarFrq", kMostFmPoint, fm.fmMin, fm.fmMax);
        readRange(ls, "ParmLst", "FPSeg", kMaxSegmentNumber, fm.fpSegMin, fm.fpSegMax);
    } else {
        fm.fmFuncMode = wholeOr(FmExchange(ls).Read(FmExchange::FuncMode, kAbsent), 0);
        std::string rangeKey = "Sclk";
        std::string baseKey;
        if (descrHas(ls, "FmComposer", "FmBase", &baseKey))
            rangeKey = baseKey;
        readRange(ls, "FmComposer", "FmLen", mostPoints, fm.fmLenMin, fm.fmLenMax);
        readRange(ls, "ParmLst", rangeKey.c_str(), kMostFmPoint, fm.fmMin, fm.fmMax);
        fm.wavelength = wholeOr(FmExchange(ls).Read(FmExchange::Wavelength, kAbsent), 0);
    }
    return InitFmBase(ls, prompts, fm, activeSegment);
}

bool InitFmBase(const LaunchState& ls, Prompter& prompts, FmSettings& fm, int activeSegment) {
    // Written where FP-segment mode keeps it, read from "Settings" when the host gave no carrier.
    const FmExchange exchange(ls);
    FmExchange::DeviationKey devKey{ls.fpSegMode};
    FmExchange::DeviationKey readKey = devKey;

    fm.fmFuncMode = wholeOr(exchange.Read(FmExchange::FuncMode, kAbsent), 0);
    fm.base = exchange.Read(FmExchange::ModulationCarrier, kAbsent);
    if (!IsAbsent(fm.base) &&
        !carrierFits(ls, fm.base, exchange.Where(FmExchange::ModulationCarrier),
                     "the instrument's carrier"))
        fm.base = kAbsent;
    if (!IsAbsent(fm.base)) {
        // The host's own carrier is trusted as it is.
        if (ls.fpSegMode)
            devKey.number = readKey.number = activeSegment;
    } else {
        devKey.number = fm.fmFuncMode;
        readKey = {false, fm.fmFuncMode};
        std::string baseKey;
        if (descrHas(ls, "FmComposer", "FmBase", &baseKey)) {
            fm.base = exchange.ReadCarrier(baseKey, 6100000);
            if (!carrierFits(ls, fm.base, exchange.WhereCarrier(baseKey), "6100000"))
                fm.base = 6100000;
            devKey.number = readKey.number = -1;
        } else {
            double wmode = exchange.Read(FmExchange::WaveformMode, kAbsent);
            bool stdWmode = !IsAbsent(wmode) && std::trunc(wmode) == 0;
            const std::string model = ExchangeFile::Instrument(ls).Model();
            if (stdWmode && !StartsWithNoCase(model, "K4412"))
                fm.base = exchange.Read(FmExchange::StandardBase, kAbsent);
            else
                fm.base = exchange.Read(FmExchange::SampleClock, kAbsent);
            if (fm.base <= fm.fmMin || fm.base >= fm.fmMax)
                fm.base = fm.fmMax * 0.5;
            AppendLog(ls, strprintf(" isStdWmode= %d\nfmbase=%g", wholeOr(wmode, 0), fm.base));
            if (fm.base <= fm.fmMin || fm.base >= fm.fmMax) {
                showWarning(ls, prompts,
                            vformat(StringText(kMsgFmClockLimit), fm.base, fm.fmMin, fm.fmMax));
                return false;
            }
        }
    }

    fm.deviation = storedDeviation(ls, readKey, fm.base);
    fm.deviation = std::min({fm.deviation, 2 * (fm.fmMax - fm.base), 2 * (fm.base - fm.fmMin)});

    std::string conflict;
    std::optional<double> newCarrier;
    if (fm.deviation == 0) {
        conflict = strprintf("Settings conflict\nBase frequency=%g and deviation.\nValues cann't "
                             "be corrected automatically and will be set to default",
                             fm.base);
        std::string carrier;
        ProfileRecord(ls, "ParmLst", "FmCarFrq", carrier, 80, ls.descrFile, false);
        std::istringstream items(carrier);
        std::string first, second;
        items >> first >> second;
        fm.base = LeadingValue(second).value_or(0);
        if (!carrierFits(ls, fm.base, {ls.descrFile, "ParmLst", "FmCarFrq"}, "0"))
            fm.base = 0;
        fm.deviation = fm.base * 0.1;
        newCarrier = fm.base;
    }
    exchange.StoreSetUp(devKey, EngNumberText(fm.deviation, 9), newCarrier);
    setRange(fm);
    if (!conflict.empty())
        showWarning(ls, prompts, conflict);
    return true;
}

bool DecideFmAbstractMode(const LaunchState& ls) {
    std::string isAbstr;
    if (descrHas(ls, "FmComposer", "IsAbstr", &isAbstr) && EqualsNoCase(isAbstr, "NO"))
        return false;
    if (ls.fpSegMode)
        return false;
    return ProfileNumberIn(ls, ls.descrFile, "PtSize", 0, "FmComposer", kAbsent) != 4;
}

DeviationChange ApplyDeviation(const LaunchState& ls, Prompter& prompts, FmSettings& fm,
                               std::string_view boxText, int activeSegment) {
    std::string text(boxText.substr(0, 20));
    double d = std::strtod(text.c_str(), nullptr);
    double low = fm.base - d / 2, high = fm.base + d / 2;
    if (!std::isfinite(d) || low < fm.fmMin || high > fm.fmMax) {
        showWarning(ls, prompts, StringText(kMsgDeviationRangeExceeded));
        return {false, FmGeneralText(fm.deviation)};
    }
    fm.vMax = high;
    fm.vMin = low;
    fm.deviation = d;

    if (ls.fpSegMode) {
        FmExchange(ls).StoreSegmentDeviation(activeSegment, EngNumberText(d, 9));
        return {true, text};
    }
    FmExchange::DeviationKey key;
    if (!descrHas(ls, "FmComposer", "FmBase"))
        key.number = fm.fmFuncMode;
    FmExchange(ls).StoreDeviation(key, text, fm.fmFuncMode == 0, FmStreamText(high),
                                  FmStreamText(low));
    // The host reads the new deviation from the exchange file, so it is told after the write.
    if (fm.fmFuncMode == 0) {
        std::string host = ExchangeFile::Titles(ls).Host();
        if (!host.empty())
            Show(prompts, SendToHost(ls, host, "Cmd=:FM:DEV " + text));
    }
    return {true, text};
}

std::string FmRangeFromLoadedWave(const LaunchState& ls, FmSettings& fm,
                                  std::span<const std::int32_t> points) {
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
    FmExchange(ls).StoreOpenedRange(devText, boxText((fm.vMin + fm.vMax) / 2));
    return devText;
}

void LoadSegmentDeviation(const LaunchState& ls, FmSettings& fm, int activeSegment) {
    fm.deviation = storedDeviation(ls, {true, activeSegment}, fm.base);
    setRange(fm);
}

} // namespace tw
