#include "generators/DcWaveModel.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "generators/GeneratorSettings.h"
#include "generators/ShapeFormulas.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace tw {

namespace {
using Stored = ExchangeFile::WaveParameters;
constexpr Stored::Key kKeys[3] = {Stored::Start, Stored::End, Stored::DcLevel};
} // namespace

DcWaveModel::DcWaveModel(GeneratorTarget& target) : target_(target) {
    const double w = static_cast<double>(target.samples().size());
    const double top = target.valueScale().highestLevel(target.upperLevel());
    fields_ = {Field{"Start", "", 0, w - 1}, Field{"End", "", 0, w - 1},
               Field{"Level", "", target.lowerLevel(), top}};
}

double DcWaveModel::DefaultOf(int i) const {
    if (i == kEnd)
        return static_cast<double>(target_.samples().size()) - 1;
    if (i == kLevel)
        return target_.valueScale().defaultLevel(target_.lowerLevel(), target_.upperLevel());
    return 0;
}

void DcWaveModel::Open() {
    target_.backupForDialog();
    for (int i = 0; i < 3; ++i)
        fields_[i].text = Stored(target_.composer().session())
                              .Text(target_.composer().waveParSection(), kKeys[i])
                              .value_or(SettingNumber(DefaultOf(i)));
}

bool DcWaveModel::Validate() {
    focus_ = -1;
    for (int i = 0; i < 3; ++i) {
        Field& f = fields_[i];
        values_[i] = LeadingValue(f.text).value_or(0);
        if (values_[i] < f.lower || values_[i] > f.upper) {
            ask(target_.prompts(), f.name,
                strprintf("Data %.2f out of range.\nRange: [%.2f,%.2f]", values_[i], f.lower,
                          f.upper));
            values_[i] = values_[i] < f.lower ? f.lower : f.upper;
            f.text = SettingNumber(values_[i]);
            focus_ = i;
            return false;
        }
    }
    if (values_[kStart] > values_[kEnd]) {
        ask(target_.prompts(), "Error", "Start must beequalor  less than End");
        focus_ = kEnd;
        return false;
    }
    return true;
}

bool DcWaveModel::Fill() {
    Samples& wave = target_.samples();
    if (wave.empty())
        return true;
    const auto first = static_cast<size_t>(values_[kStart]);
    const auto last = std::min(static_cast<size_t>(values_[kEnd]), wave.size() - 1);
    const std::int32_t level = TruncToPoint(values_[kLevel]);
    const std::unique_ptr<Progress> shown = target_.startProgress();
    Progress& progress = shown ? *shown : NoProgress();
    constexpr std::size_t kPiece = std::size_t(1) << 22;
    bool filled = true;
    wave.Write(first, last, [&](SampleSpan points) {
        std::visit(
            [&](auto all) {
                using Sample = typename decltype(all)::value_type;
                for (std::size_t at = first; at <= last && filled; at += kPiece) {
                    filled = progress.advance(at - first, last - first + 1);
                    if (filled)
                        std::ranges::fill(all.subspan(at, std::min(kPiece, last + 1 - at)),
                                          ToStored<Sample>(level));
                }
            },
            points);
    });
    if (!filled) // cancelled: the points come back from the file that holds them
        target_.pointsLost(wave.size());
    return filled;
}

bool DcWaveModel::Preview() {
    if (!Validate())
        return false;
    target_.restoreDialogBackup();
    if (!Fill())
        return false;
    target_.redraw();
    return true;
}

bool DcWaveModel::Accept() {
    if (!Validate())
        return false;
    target_.restoreDialogBackup();
    if (!Fill())
        return false;
    double start = values_[kStart];
    double end = values_[kEnd];
    MoveRangeOn(start, end, static_cast<double>(target_.samples().size()));
    // Stored before the commit, which records the segment in the same exchange file.
    Stored(target_.composer().session())
        .Store(target_.composer().waveParSection(), {{kKeys[kStart], SettingNumber(start)},
                                                     {kKeys[kEnd], SettingNumber(end)},
                                                     {kKeys[kLevel], fields_[kLevel].text}});
    target_.keepGenerated();
    return true;
}

void DcWaveModel::Cancel() {
    target_.restoreDialogBackup();
    target_.redraw();
}

void DcWaveModel::Default() {
    for (int i = 0; i < 3; ++i)
        fields_[i].text = SettingNumber(DefaultOf(i));
}

} // namespace tw
