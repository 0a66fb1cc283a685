#include "generators/WaveParamModel.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "generators/GeneratorSettings.h"
#include "host/ExchangeFile.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <sstream>

namespace tw {
namespace {

std::string Blanks(std::string text) {
    for (char& c : text)
        if (c == '_')
            c = ' ';
    return text;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

double Number(const std::string& text) {
    return LeadingValue(text).value_or(0);
}

} // namespace

const char* ShapeSectionName(Shape shape) {
    switch (shape) {
    case Shape::Sine:
        return "ArbSine";
    case Shape::Triangle:
        return "ArbTri";
    case Shape::Square:
        return "ArbSqu";
    case Shape::Sinc:
        return "ArbSinc";
    case Shape::Gaussian:
        return "ArbGaus";
    case Shape::Exponent:
        return "ArbExp";
    case Shape::Pulse:
        return "ArbPuls";
    case Shape::Noise:
        return "ArbNoise";
    }
    return "";
}

WaveParamModel::WaveParamModel(Shape shape, GeneratorTarget& target)
    : shape_(shape), target_(target) {}

double WaveParamModel::Wavelength() const {
    return static_cast<double>(target_.samples().size());
}

void WaveParamModel::Open() {
    if (ExchangeFile::WaveParameters(target_.composer().session())
            .Count(target_.composer().waveParSection()) < 3)
        Default();
    target_.backupForDialog();
    Initialise();
}

void WaveParamModel::Initialise() {
    using Stored = ExchangeFile::WaveParameters;
    const Stored stored(target_.composer().session());
    const std::string& descr = target_.composer().session().descrFile;
    const std::string par = target_.composer().waveParSection();
    const double w = Wavelength();
    const double lo = target_.lowerLevel();
    const double hi = target_.upperLevel();
    auto field = [&](Stored::Key key, const char* label, double def, double lower, double upper) {
        return GeneratorField{Stored::KeyText(key), label,
                              stored.Text(par, key).value_or(SettingNumber(def)), lower, upper};
    };
    fields_ = {
        field(Stored::Start, "Start", 0, 0, w - 1),
        field(Stored::End, "End", std::trunc(w - 1), 1, w - 1),
        field(Stored::Min, "Min", std::trunc(lo), lo, hi - 1),
        field(Stored::Max, "Max", std::trunc(hi), lo + 1, hi),
    };
    const char* section = ShapeSectionName(shape_);
    title_ = Blanks(profile::GetValue(descr, section, "Title").value_or(section));
    if (shape_ != Shape::Noise) {
        const auto keys = Words(profile::GetValue(descr, section, "Keys").value_or(""));
        for (size_t i = 0; i < keys.size() && i < 5; ++i) {
            const auto line =
                Words(profile::GetValue(descr, target_.composer().waveDefaultsSection(), keys[i])
                          .value_or(""));
            GeneratorField f;
            f.key = keys[i];
            f.label = line.size() > 1 ? Blanks(line[1]) : keys[i];
            f.lower = line.size() > 2 ? Number(line[2]) : 0;
            f.upper = line.size() > 3 ? Number(line[3]) : 0;
            if (EqualsNoCase(f.key, "Cycl"))
                f.upper = w / 2;
            f.checkBox = EqualsNoCase(f.key, "Inv");
            f.text =
                stored.Text(par, std::string_view(f.key)).value_or(line.empty() ? "0" : line[0]);
            if (f.checkBox)
                f.text = std::string(1, StoredWhole(f.text) != 0 ? '1' : '0');
            fields_.push_back(f);
        }
    }
    values_.assign(fields_.size(), 0);
    for (size_t i = 0; i < fields_.size(); ++i)
        values_[i] = Number(fields_[i].text);
    target_.markAnchors(values_[0], values_[1]);
}

bool WaveParamModel::Validate() {
    for (size_t i = 0; i < fields_.size(); ++i) {
        GeneratorField& f = fields_[i];
        double v = f.checkBox ? (StoredWhole(f.text) != 0 ? 1 : 0) : Number(f.text);
        values_[i] = v;
        if (v < f.lower || v > f.upper) {
            ask(target_.prompts(), target_.composer().session().appName,
                strprintf("Parameter %d value = %.2f \nRange: min= %.2f  max=%.2f",
                          static_cast<int>(i + 1), v, f.lower, f.upper));
            values_[i] = v < f.lower ? f.lower : f.upper;
            f.text = SettingNumber(values_[i]);
            return false;
        }
    }
    if (!(values_[0] < values_[1]) || !(values_[2] <= values_[3])) {
        ask(target_.prompts(), target_.composer().session().appName, "Invalid Min/Max values.");
        return false;
    }
    target_.markAnchors(values_[0], values_[1]);
    return true;
}

bool WaveParamModel::Generate() {
    ShapeRequest r;
    r.shape = shape_;
    r.start = values_[0];
    r.end = values_[1];
    r.min = values_[2];
    r.max = values_[3];
    for (size_t i = 4; i < values_.size(); ++i)
        r.p[i - 4] = values_[i];
    if (target_.valueScale().abstractValues())
        r.level = AbstractLevelConversion(target_.lowerLevel(), target_.upperLevel());
    r.fm = !target_.valueScale().centredCodes();
    r.noiseSeed = static_cast<unsigned>(std::time(nullptr));
    const std::unique_ptr<Progress> progress = target_.startProgress();
    r.progress = progress.get();
    // The shape fills start .. end, cut to the wave.
    bool done = true;
    target_.samples().Write(static_cast<std::size_t>(r.start), static_cast<std::size_t>(r.end),
                            [&r, &done](SampleSpan points) { done = GenerateShape(points, r); });
    if (!done) { // cancelled: the wave from before the dialog, the fields as they were
        target_.restoreDialogBackup();
        target_.redraw();
        return false;
    }
    for (size_t i = 4; i < values_.size(); ++i)
        values_[i] = r.p[i - 4];
    // The power is a whole number of at least 1; the user sees what was used.
    if ((shape_ == Shape::Sine || shape_ == Shape::Triangle) && fields_.size() > 6 &&
        Number(fields_[6].text) != r.p[2])
        fields_[6].text = SettingNumber(r.p[2]);
    return true;
}

bool WaveParamModel::Preview() {
    if (!Validate())
        return false;
    target_.restoreDialogBackup();
    if (!Generate())
        return false;
    target_.redraw();
    return true;
}

bool WaveParamModel::Accept() {
    if (!Validate())
        return false;
    target_.restoreDialogBackup();
    if (!Generate())
        return false;
    double start = values_[0];
    double end = values_[1];
    MoveRangeOn(start, end, Wavelength());
    using Stored = ExchangeFile::WaveParameters;
    std::vector<std::pair<std::string, std::string>> shape;
    for (size_t i = 4; i < fields_.size(); ++i)
        shape.emplace_back(fields_[i].key, fields_[i].text.substr(0, 30));
    // Stored before the commit, which records the segment in the same exchange file.
    Stored(target_.composer().session())
        .Store(target_.composer().waveParSection(),
               {{Stored::Start, SettingNumber(start)},
                {Stored::End, SettingNumber(end)},
                {Stored::Min, SettingNumber(values_[2])},
                {Stored::Max, SettingNumber(values_[3])}},
               shape);
    target_.keepGenerated();
    return true;
}

void WaveParamModel::Cancel() {
    target_.restoreDialogBackup();
    target_.redraw();
    target_.restoreAnchors();
}

void WaveParamModel::Default() {
    const auto lines = profile::SectionEntries(target_.composer().session().descrFile,
                                               target_.composer().waveDefaultsSection());
    std::vector<std::pair<std::string, std::string>> defaults;
    for (const auto& [key, line] : lines) {
        if (EqualsNoCase(key, "Equ")) {
            defaults.emplace_back(key, line);
            continue;
        }
        const auto words = Words(line);
        std::string first = words.empty() ? "" : words[0];
        const bool numeric =
            !first.empty() &&
            (std::isdigit(static_cast<unsigned char>(first[0])) || first[0] == '-');
        if (!numeric) {
            if (first == "WavLen")
                first = SettingNumber(Wavelength());
            else if (first == "Wavmin")
                first = SettingNumber(target_.lowerLevel());
            else if (first == "Wavmax")
                first = SettingNumber(target_.upperLevel());
        }
        defaults.emplace_back(key, first);
    }
    ExchangeFile::WaveParameters(target_.composer().session())
        .Store(target_.composer().waveParSection(), {}, defaults);
    if (!fields_.empty())
        Initialise();
}

} // namespace tw
