#include "generators/PwmModel.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "document/WaveFormats.h"
#include "generators/GeneratorSettings.h"
#include "generators/ShapeFormulas.h"
#include "host/ExchangeFile.h"
#include "host/HostLink.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace tw {
namespace {

// Every key of the dialog's settings with the value a first run starts from.
const std::pair<const char*, const char*> kDefaults[] = {{"Pulse_Period", "1e-4"},
                                                         {"Pulse_Width", "2e-5"},
                                                         {"High_Level", "1"},
                                                         {"Low_Level", "0"},
                                                         {"Mod_Period", "1e-3"},
                                                         {"Mod_Index", "50"},
                                                         {"Mod_Offset", "0"},
                                                         {"Amplitude", ""},
                                                         {"Offset", ""},
                                                         {"SCLK", ""},
                                                         {"Seg_Length", ""},
                                                         {"Precision", "1e-7"},
                                                         {"Shape", "0"},
                                                         {"Mod_Type", "0"},
                                                         {"Units", "1"}};

bool Blank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

double Number(const std::string& text) {
    return LeadingValue(text).value_or(0);
}

} // namespace

PwmModel::PwmModel(GeneratorTarget& target) : target_(target) {
    for (const auto& [key, value] : kDefaults)
        fields_[key] = value;
}

std::string PwmModel::field(const std::string& key) const {
    auto it = fields_.find(key);
    return it == fields_.end() ? std::string() : it->second;
}

void PwmModel::Open() {
    target_.backupForDialog();
    for (const auto& [key, value] : kDefaults)
        if (auto v = ExchangeFile::Dialogs(target_.composer().session()).PwmField(key))
            fields_[key] = *v;
}

std::string PwmModel::Label(const std::string& key) const {
    const bool period = periodUnits();
    if (key == "Pulse_Period" || key == "Mod_Period")
        return period ? "Period (s)" : "Frequency (Hz)";
    if (key == "Pulse_Width")
        return period ? "Pulse Width (s)" : "Pulse Width (Hz)";
    if (key == "Mod_Index")
        return byDelay ? "Start area (%)" : "Index (%)";
    if (key == "Mod_Offset")
        return byDelay ? "End area (%)" : "Offset (%)";
    return key;
}

PwmInstrument PwmModel::LoadInstrument(const std::string& descr) {
    PwmInstrument i;
    i.maxSclk = DescribedNumber(descr, "ParmLst", "Sclk", 2, 0);
    i.minSegment = DescribedNumber(descr, "Axis", "HRange", 1, 0);
    i.memory = DescribedNumber(descr, "Axis", "HRange", 2, 0);
    i.granularity = DescribedNumber(descr, "Axis", "resFactor", 0, 1);
    i.amplMin = DescribedNumber(descr, "ParmLst", "Ampl", 0, 0);
    i.amplMax = DescribedNumber(descr, "ParmLst", "Ampl", 1, 0);
    i.codeSpan = std::trunc(DescribedNumber(descr, "Axis", "Vpts", 1, 0) -
                            DescribedNumber(descr, "Axis", "Vpts", 0, 0));
    return i;
}

bool PwmModel::Refuse(const std::string& key, const std::string& text) {
    ask(target_.prompts(), "Error", text);
    focus_ = key;
    return false;
}

bool PwmModel::CheckInputs(PwmInput& in) {
    const bool period = periodUnits();
    const std::pair<const char*, const char*> required[] = {
        {"Pulse_Period", period ? "Pulse Period is empty" : "Pulse Frequency is empty"},
        {"Pulse_Width", "Pulse Width is empty"},
        {"High_Level", "High Level is empty"},
        {"Low_Level", "Low Level is empty"},
        {"Mod_Period", period ? "Modulation Period is empty" : "Modulation Frequency is empty"},
        {"Mod_Index", "Modulation index is empty"},
        {"Mod_Offset", "Modulation offset is empty"},
        {"Precision", "Resolution is empty"}};
    for (const auto& [key, message] : required)
        if (Blank(field(key)))
            return Refuse(key, message);

    const double pulse = Number(field("Pulse_Period"));
    const double width = Number(field("Pulse_Width"));
    const double mod = Number(field("Mod_Period"));
    if (!(pulse > 0))
        return Refuse("Pulse_Period", period ? "Pulse Period must be greater than 0"
                                             : "Pulse Frequency must be greater than 0");
    if (!(width > 0))
        return Refuse("Pulse_Width", "Pulse Width must be greater than 0");
    if (!(mod > 0))
        return Refuse("Mod_Period", period ? "Modulation Period must be greater than 0"
                                           : "Modulation Frequency must be greater than 0");
    in.pulsePeriod = period ? pulse : 1 / pulse;
    in.pulseWidth = period ? width : 1 / width;
    in.modPeriod = period ? mod : 1 / mod;
    in.high = Number(field("High_Level"));
    in.low = Number(field("Low_Level"));
    in.index = Number(field("Mod_Index"));
    in.offset = Number(field("Mod_Offset"));
    in.resolution = Number(field("Precision"));
    in.law = static_cast<PwmLaw>(std::clamp(StoredWhole(field("Shape")), 0, 3));
    in.byDelay = byDelay;

    if (!byDelay) {
        if (in.low > in.high)
            return Refuse("Low_Level", "Low Level must not be higher than High Level");
        if (!(in.modPeriod > in.pulsePeriod))
            return Refuse("Mod_Period", period
                                            ? "Modulation Period must  be longer than Pulse Period"
                                            : "Pulse Frequency  must be higher than Modulation "
                                              "Frequency");
    }
    const double i = in.index, o = in.offset, pw = in.pulseWidth;
    if (!(pw * (1 + i * 0.005 + o * 0.01) <= in.pulsePeriod))
        return Refuse("Pulse_Width",
                      period ? "Pulse Width * (1 + Mod. Index/200 + Mod. Offset/100) must be less "
                               "or equal to Pulse Period"
                             : "Pulse Width * (1 + Mod. Index/2 + Mod. Offset) must be less or "
                               "equal to Pulse Frequency");
    if (!(pw * (1 - i * 0.005 + o * 0.01) >= 0))
        return Refuse("Mod_Index", period ? "(1 - Mod. Index/200 + Mod. Offset/100) should be >= 0"
                                          : "Pulse Width * (1 - Mod. Index/2 + Mod. Offset) must "
                                            "be greater or equal to 0");
    const PwmInstrument inst = LoadInstrument(target_.composer().session().descrFile);
    if (!(1 / in.pulsePeriod < 0.4 * inst.maxSclk))
        return Refuse("Pulse_Period", period ? "Pulse Period must be longer than 2.5 / maximum SCLK"
                                             : "Pulse Frequency must be less than maximum SCLK / "
                                               "2.5");
    if (!(i > 0))
        return Refuse("Mod_Index", "Modulation index must be greater  than 0");
    if (!(in.resolution >= 1 / inst.maxSclk && in.resolution <= 1))
        return Refuse("Precision",
                      strprintf("Resolution must be between %g and 1", 1 / inst.maxSclk));
    return true;
}

PwmStatus PwmModel::Calculate() {
    focus_.clear();
    PwmInput in;
    if (!CheckInputs(in))
        return PwmStatus::Refused;
    const PwmInstrument inst = LoadInstrument(target_.composer().session().descrFile);
    PwmPlan plan;
    const PwmResult r = PlanPwm(in, inst, plan, target_.prompts());
    if (r.status != PwmStatus::Ok) {
        focus_ = r.focus;
        return r.status;
    }
    field("Precision") = strprintf("%.4g", plan.resolution);
    field("SCLK") = strprintf("%.9g", plan.sclk);
    field("Seg_Length") = strprintf("%.9g", static_cast<double>(plan.length));
    field("Offset") = "0";
    const double a = 2 * std::max(std::fabs(in.high), std::fabs(in.low));
    if (!(a >= inst.amplMin && a <= inst.amplMax) || a <= 0) {
        ask(target_.prompts(), "Error",
            strprintf("Amplitude out of range, [%g-%g]", inst.amplMin, inst.amplMax));
        focus_ = "High_Level";
        return PwmStatus::Refused;
    }
    field("Amplitude") = strprintf("%.9g", a);

    const std::int32_t high = TruncToPoint(inst.codeSpan * in.high / a);
    const std::int32_t low = TruncToPoint(inst.codeSpan * in.low / a);
    const std::unique_ptr<Progress> shown = target_.startProgress();
    Progress& progress = shown ? *shown : NoProgress();
    PwmWave wave = in.byDelay ? BuildDelayWave(in, plan.length, plan.count.n, high, low, progress)
                              : BuildWidthWave(plan, high, low, progress);
    if (wave.points.empty())
        return PwmStatus::Stopped; // cancelled before the wave was touched
    wave_ = std::move(wave);
    plan_ = plan;
    target_.samples().Assign(wave_.points);
    target_.wavelengthChanged();
    Store();
    target_.keepGenerated();
    committed_ = true;
    return PwmStatus::Ok;
}

PwmStatus PwmModel::CalculateAndDownload() {
    const PwmStatus s = Calculate();
    if (s != PwmStatus::Ok)
        return s;
    const auto align = static_cast<PwmAlign>(StoredWhole(field("Mod_Type")));
    const long long start = align == PwmAlign::Trailing   ? wave_.firstFall
                            : align == PwmAlign::Centered ? wave_.firstMiddle
                                                          : 0;
    const auto& points = wave_.points;
    std::vector<std::int32_t> aligned(points.size());
    for (size_t j = 0; j < points.size(); ++j)
        aligned[j] = points[(static_cast<size_t>(start) + j) % points.size()];
    const std::string file = target_.composer().session().tmpFolder + "PulseWave.tmp";
    if (!WriteNativeFile(file, aligned, PointLayout::Int16)) {
        ask(target_.prompts(), target_.composer().session().appName, "Cannot write " + file);
        return PwmStatus::Refused;
    }
    Show(target_.prompts(),
         SendToExchangeHost(target_.composer().session(),
                            strprintf("Cmd=:FREQ:RAST %s;:VOLT %s;:VOLT:OFFS 0;:FUNC:MODE USER;"
                                      ":TRAC:DEL:ALL;:TRAC:DEF 1,%lld;:TRAC:SEL 1\n",
                                      field("SCLK").c_str(), field("Amplitude").c_str(),
                                      static_cast<long long>(points.size())) +
                                "Wav=" + file));
    return PwmStatus::Ok;
}

void PwmModel::Cancel() {
    if (committed_)
        return; // a calculated train is kept, as after OK
    target_.restoreDialogBackup();
    target_.wavelengthChanged();
    target_.redraw();
}

void PwmModel::Store() {
    ExchangeFile::Dialogs(target_.composer().session())
        .StorePwmFields({fields_.begin(), fields_.end()});
}

} // namespace tw
