#include "generators/CardiacEcg.h"

#include "app/FileUtil.h"
#include "app/Printf.h"
#include "app/Prompter.h"
#include "app/SharedWork.h"
#include "app/StoredNumber.h"
#include "generators/GeneratorSettings.h"
#include "generators/ShapeFormulas.h"
#include "host/HostLink.h"
#include "host/InstrumentDescription.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace tw {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Spec {
    const char* key;
    double lower, upper, def;
};
constexpr Spec kSpecs[CardiacEcgModel::kFieldCount] = {
    {"H1", -1, 1, 0.1}, {"H2", -1, 1, -0.1}, {"H3", -1, 1, -0.25}, {"H4", -1, 1, 0.2},
    {"W1", 0, 100, 15}, {"W2", 0, 100, 15},  {"W3", 0, 100, 25},   {"T0", 0, 100, 15},
    {"T1", 0, 100, 40}, {"T2", 0, 100, 60},  {"Rate", 10, 300, 60}};

std::int64_t Round(double x) {
    // The rounding the stored waves were made with, kept to the byte.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    return static_cast<std::int64_t>(x + 0.5);
}

template <class Sample> struct Writer {
    std::span<Sample> wave;
    void operator()(std::int64_t at, double v) const {
        if (at >= 0 && at < static_cast<std::int64_t>(wave.size()))
            wave[static_cast<size_t>(at)] = ToStored<Sample>(TruncToPoint(v));
    }
};

// The points written so far against all there are to write (the clearing and every stroke),
// told to progress between pieces.
struct Work {
    static constexpr std::int64_t kPiece = 1 << 22;
    Progress& progress;
    std::uint64_t total;
    std::uint64_t done = 0;
    bool go = true;
    bool next(std::int64_t points) {
        go = go && progress.advance(done, total);
        done += static_cast<std::uint64_t>(std::max<std::int64_t>(points, 0));
        return go;
    }
};

// Puts value(j) at point s + j for j in [0, count). The points of one stroke are distinct, so a
// long stroke is shared among the cores; strokes still follow each other in order.
template <class Put, class Value>
void Stroke(const Put& put, std::int64_t s, std::int64_t count, Value value, Work& work) {
    for (std::int64_t piece = 0; piece < count; piece += Work::kPiece) {
        const std::int64_t end = std::min(count, piece + Work::kPiece);
        if (!work.next(end - piece))
            return;
        ForPieces(piece, end, [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t j = from; j < to; ++j)
                put(s + j, value(static_cast<double>(j)));
        });
    }
}

template <class Put>
void Bump(const Put& put, double n, double start, double width, double height, double h,
          Work& work) {
    const std::int64_t s = Round(n * start * 0.01);
    const std::int64_t len = Round(n * width * 0.01);
    const auto l = static_cast<double>(len);
    Stroke(
        put, s, len,
        [&](double j) { return (std::sin((j + 0.75 * l) * 2 * kPi / l) + 1) * height * h * 0.5; },
        work);
}

template <class Sample>
bool Generate(std::span<Sample> wave, const EcgShape& e, double h, Progress& progress) {
    // The strokes cover the wave at most once more.
    Work work{progress, 2 * static_cast<std::uint64_t>(wave.size())};
    for (std::size_t at = 0; at < wave.size(); at += Work::kPiece) {
        const std::size_t end = std::min(wave.size(), at + Work::kPiece);
        if (!work.next(static_cast<std::int64_t>(end - at)))
            return false;
        std::fill(wave.begin() + static_cast<std::ptrdiff_t>(at),
                  wave.begin() + static_cast<std::ptrdiff_t>(end), 0);
    }
    const Writer<Sample> put{wave};
    const auto n = static_cast<double>(wave.size());
    Bump(put, n, e.t0, e.w1, e.h1, h, work);
    Bump(put, n, e.t2, e.w3, e.h4, h, work);

    std::int64_t s = Round(n * e.t1 * 0.01);
    std::int64_t len = Round(n * e.w2 * 0.002);
    double l = static_cast<double>(len);
    Stroke(
        put, s, len,
        [&](double j) { return (std::sin((j + l) * 2 * kPi / (4 * l)) - 1) * std::fabs(e.h2) * h; },
        work);

    s = Round((e.w2 * 0.7 + e.t1) * n * 0.01);
    len = Round(n * e.w2 * 0.003);
    l = static_cast<double>(len);
    Stroke(
        put, s, len,
        [&](double j) { return (std::sin(j * 2 * kPi / (4 * l)) - 1) * std::fabs(e.h3) * h; },
        work);

    len = Round(n * e.w2 * 0.0025);
    l = static_cast<double>(len);
    if (len == 0)
        return work.go; // a QRS too narrow for its R stroke
    s = Round((e.w2 * 0.2 + e.t1) * n * 0.01);
    Stroke(
        put, s, len + 1, [&](double j) { return j * (1 - e.h2) * h / l + e.h2 * h; }, work);
    s = Round((e.w2 * 0.45 + e.t1) * n * 0.01);
    Stroke(
        put, s, len + 1, [&](double j) { return j * (e.h3 - 1) * h / l + h; }, work);
    return work.go;
}

} // namespace

bool GenerateEcg(SampleSpan wave, const EcgShape& e, double h, Progress& progress) {
    return std::visit([&](auto points) { return Generate(points, e, h, progress); }, wave);
}

double EcgSampleClock(double points, double rate) {
    return points * rate * 0.016666666666666666;
}

CardiacEcgModel::CardiacEcgModel(GeneratorTarget& target) : target_(target) {
    Default();
}

void CardiacEcgModel::Open() {
    target_.backupForDialog();
    const auto entries = CardiacSettings(target_.composer().session().descrFile);
    for (const auto& [key, value] : entries) {
        for (int i = 0; i < kFieldCount; ++i)
            if (EqualsNoCase(key, kSpecs[i].key))
                texts_[i] = value;
        if (EqualsNoCase(key, "ForceRate"))
            forceRate = StoredWhole(value) != 0;
    }
}

CardiacEcgModel::Outcome CardiacEcgModel::Validate() {
    focus_ = -1;
    for (int i = 0; i < kFieldCount; ++i) {
        values_[i] = LeadingValue(texts_[i]).value_or(0);
        if (values_[i] < kSpecs[i].lower || values_[i] > kSpecs[i].upper) {
            ask(target_.prompts(), kSpecs[i].key,
                strprintf("Data %.2f out of range.\nRange: [%.2f,%.2f]", values_[i],
                          kSpecs[i].lower, kSpecs[i].upper));
            focus_ = i;
            return Outcome::Refused;
        }
    }
    const auto& v = values_;
    const struct {
        bool ok;
        const char* rule;
    } sums[] = {{v[kW1] + v[kW2] + v[kW3] <= 100, "W1+W2+W3<=100%"},
                {v[kT0] + v[kW1] <= 100, "T0+W1<=100%"},
                {v[kT1] + v[kW2] <= 100, "T1+W2<=100%"},
                {v[kT2] + v[kW3] <= 100, "T2+W3<=100%"}};
    for (const auto& s : sums) {
        if (!s.ok) {
            ask(target_.prompts(), s.rule, "Cardiac components are out of range");
            return Outcome::Refused;
        }
    }
    const double lo[3] = {v[kT0], v[kT1], v[kT2]};
    const double hi[3] = {v[kT0] + v[kW1], v[kT1] + v[kW2], v[kT2] + v[kW3]};
    const char* names[3][2] = {{"T0", "T0+W1"}, {"T1", "T1+W2"}, {"T2", "T2+W3"}};
    for (int c = 0; c < 3; ++c) {
        for (int edge = 0; edge < 2; ++edge) {
            const double x = edge == 0 ? lo[c] : hi[c];
            for (int other = 0; other < 3; ++other) {
                if (other != c && lo[other] <= x && x <= hi[other]) {
                    ask(target_.prompts(), "Setting conflict",
                        strprintf("Cardiac component %s overlaps other fields", names[c][edge]));
                    return Outcome::Refused;
                }
            }
        }
    }
    clock_ = EcgSampleClock(static_cast<double>(target_.samples().size()), v[kRate]);
    // The clock line holds the default, lowest and highest clock.
    const double lowest =
        DescribedNumber(target_.composer().session().descrFile, "ParmLst", "Sclk", 1, 0);
    if (clock_ < lowest &&
        ask(target_.prompts(), "Warning",
            "The ratio of (wavelength * Rate / 60) conflicts with the minimum sample clock "
            "limit.\nPress NO to close this dialog box and set the number of waveform points "
            "according the formula:\nwavelength = (sample clock * 60 / Rate)\nPress YES to "
            "continue with the waveform design however your Rate value may not be correct.",
            Buttons::YesNo) == Answer::No)
        return Outcome::Close;
    return Outcome::Done;
}

bool CardiacEcgModel::Generate() {
    target_.restoreDialogBackup();
    EcgShape e{values_[kH1], values_[kH2], values_[kH3], values_[kH4], values_[kW1],
               values_[kW2], values_[kW3], values_[kT0], values_[kT1], values_[kT2]};
    const double vMin =
        DescribedNumber(target_.composer().session().descrFile, "Axis", "Vpts", 0, 0);
    const double vMax =
        DescribedNumber(target_.composer().session().descrFile, "Axis", "Vpts", 1, 0);
    Samples& wave = target_.samples();
    const std::unique_ptr<Progress> shown = target_.startProgress();
    Progress& progress = shown ? *shown : NoProgress();
    bool made = true;
    wave.Write(0, Samples::kLast, [&](SampleSpan points) {
        made = GenerateEcg(points, e, std::trunc((vMax - vMin) / 2), progress);
    });
    if (!made) // a preview before this one may stand: the points come back from their file
        target_.pointsLost(wave.size());
    return made;
}

CardiacEcgModel::Outcome CardiacEcgModel::Preview() {
    const Outcome o = Validate();
    if (o != Outcome::Done)
        return o;
    if (!Generate())
        return Outcome::Refused;
    target_.commitEdit();
    return o;
}

CardiacEcgModel::Outcome CardiacEcgModel::Accept() {
    const Outcome o = Validate();
    if (o != Outcome::Done)
        return o;
    if (!Generate())
        return Outcome::Refused;
    DescribedEntries fields;
    for (int i = 0; i < kFieldCount; ++i)
        fields.emplace_back(kSpecs[i].key, texts_[i]);
    fields.emplace_back("ForceRate", forceRate ? "1" : "0");
    StoreCardiacSettings(target_.composer().session(), fields);
    if (forceRate)
        Show(target_.prompts(),
             SendToExchangeHost(target_.composer().session(),
                                strprintf("cmd=:FREQ:RAST %Lf", static_cast<long double>(clock_))));
    target_.keepGenerated();
    return o;
}

void CardiacEcgModel::Cancel() {
    target_.restoreDialogBackup();
    target_.commitEdit();
    target_.redraw();
}

void CardiacEcgModel::Default() {
    for (int i = 0; i < kFieldCount; ++i)
        texts_[i] = SettingNumber(kSpecs[i].def);
    forceRate = false;
}

} // namespace tw
