#include "expr/EquationEditor.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "expr/AliasValues.h"
#include "expr/EquationState.h"
#include "expr/ExprRange.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace tw {

namespace {

using Stored = ExchangeFile::WaveParameters;
// Where each field is kept, in field order.
constexpr Stored::Key kFieldKeys[] = {Stored::Start, Stored::End, Stored::LowLevel,
                                      Stored::HighLevel, Stored::Cycles};

bool IsBlankText(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

EquationEditor::EquationEditor(GeneratorTarget& target)
    : aliases(target.composer().session().appName), target_(target) {
    parser_.caption = target.composer().session().appName;
}

double EquationEditor::lowerLimit(Field f) const {
    switch (f) {
    case kStart:
        return 0;
    case kEnd:
        return 2;
    case kMin:
        return target_.lowerLevel();
    case kMax:
        return target_.lowerLevel() + 1;
    default:
        return 1;
    }
}

double EquationEditor::upperLimit(Field f) const {
    const double w = static_cast<double>(Wavelength());
    switch (f) {
    case kStart:
        return w - 2;
    case kEnd:
        return w - 1;
    case kMin:
        return target_.upperLevel() - 1;
    case kMax:
        return target_.upperLevel();
    default:
        return 10000;
    }
}

void EquationEditor::Open() {
    parser_.waveFolder = target_.waveFolder();
    ReadSettings();
    LoadState();
    target_.backupForDialog();
}

void EquationEditor::ReadSettings() {
    const std::string section = target_.composer().waveParSection();
    const Stored stored(target_.composer().session());
    const std::array<double, kFieldCount> defaults = {0, static_cast<double>(Wavelength() - 1),
                                                      std::trunc(target_.lowerLevel()),
                                                      std::trunc(target_.upperLevel()), 1};
    for (int f = 0; f < kFieldCount; ++f) {
        std::optional<double> v = stored.Number(section, kFieldKeys[f]);
        if (!v) {
            v = defaults[f];
            stored.Store(section, {{kFieldKeys[f], SettingNumber(*v)}});
        }
        fields[f] = *v;
    }
    previous_ = fields;

    using Dialogs = ExchangeFile::Dialogs;
    const Dialogs dialogs(target_.composer().session());
    scaleRadio_ = dialogs.EquationButton(Dialogs::Scale).value_or(false);
    scaleFlag_ = scaleRadio_;
    autoTicked_ = dialogs.EquationButton(Dialogs::CheckBox).value_or(false);
    autoFlag_ = dialogs.EquationButton(Dialogs::AutoButton).value_or(scaleRadio_ || autoTicked_);
    aliasesShown = dialogs.EquationButton(Dialogs::ButtonAliases).value_or(false);

    ReadDialogPosition(target_.composer(), position);
}

void EquationEditor::LoadState() {
    const std::string file = EquationStateFile(target_.composer().session().tmpFolder);
    EquationState state = LoadEquationState(file);
    formula = state.current.empty() ? kDefaultFormula : state.current;
    history = state.history;
    historyIndex =
        state.index >= 0 && state.index < static_cast<int>(history.size()) ? state.index : -1;
    aliases.Assign(LoadEquationAliases(file, formula));
}

void EquationEditor::SelectOriginal() {
    scaleRadio_ = false;
    scaleFlag_ = false;
    autoFlag_ = false;
}

void EquationEditor::SelectScale() {
    scaleRadio_ = true;
    scaleFlag_ = true;
    autoFlag_ = true;
}

void EquationEditor::SetAutoScaling(bool ticked) {
    autoTicked_ = ticked;
    autoFlag_ = ticked || scaleRadio_;
}

bool EquationEditor::Validate() {
    for (int f = 0; f < kFieldCount; ++f) {
        double lo = lowerLimit(Field(f)), hi = upperLimit(Field(f)), v = fields[f];
        if (!(v >= lo && v <= hi)) {
            ask(target_.prompts(), target_.composer().session().appName,
                strprintf("Parameter %d Value = %g\nParameter range:%g -> %g", f + 1, v, lo, hi),
                Buttons::Ok, Icon::Exclamation);
            fields[f] = previous_[f];
            return false;
        }
    }
    if (!(fields[kStart] < fields[kEnd])) {
        ask(target_.prompts(), target_.composer().session().appName,
            strprintf("min=%g  max=%g", fields[kStart], fields[kEnd]));
        return false;
    }
    if (!(fields[kMin] <= fields[kMax])) {
        ask(target_.prompts(), target_.composer().session().appName,
            strprintf("min=%g  max=%g", fields[kMin], fields[kMax]));
        return false;
    }
    previous_ = fields;
    target_.markAnchors(fields[kStart], fields[kEnd]);
    return true;
}

bool EquationEditor::AcceptShortest(long shortest) {
    if (ask(target_.prompts(), "Warning",
            "Length of the inserted wave is smaller than the range of the anchor. Would you like "
            "Consolia to correct the end point of the anchor?",
            Buttons::YesNo, Icon::Question) != Answer::Yes)
        return false;
    fields[kEnd] = previous_[kEnd] = fields[kStart] + static_cast<double>(shortest) - 1;
    return true;
}

bool EquationEditor::EvaluateAliases(const std::string& substituted, long& shortest) {
    const std::vector<std::size_t> used = ReferredAliases(aliases, substituted);
    if (!Show(target_.prompts(), CheckAliases(parser_, aliases, used, substituted, shortest)))
        return false;
    if (shortest < parser_.per) {
        if (!AcceptShortest(shortest))
            return false;
    }
    const long s = static_cast<long>(fields[kStart]);
    const long e = static_cast<long>(fields[kEnd]);
    parser_.per = e - s + 1;
    return Show(target_.prompts(), tw::EvaluateAliases(parser_, aliases, used, s, e, aliasValues_));
}

bool EquationEditor::Evaluate(bool forOk) {
    if (!Validate())
        return false;
    aliasValues_.assign(std::max<std::size_t>(100, aliases.size() + 1), {});
    target_.restoreDialogBackup();
    auto finish = [&](bool ok) {
        aliasValues_.clear();
        parser_.FreeWaves();
        if (!ok)
            target_.restoreDialogBackup();
        target_.redraw();
        return ok;
    };
    const std::string typed = formula.substr(0, kFormulaLength);
    if (IsBlankText(typed)) {
        ask(target_.prompts(), "Error", "Expression is empty");
        return finish(false);
    }
    ExprRange range;
    auto setRange = [&] {
        range = {static_cast<long>(fields[kStart]),
                 static_cast<long>(fields[kEnd]),
                 fields[kMin],
                 fields[kMax],
                 target_.valueScale().equationFactor(target_.lowerLevel(), target_.upperLevel()),
                 static_cast<long>(fields[kCycles]),
                 scaledPass(),
                 target_.lowerLevel(),
                 target_.upperLevel()};
        // FM values (frequencies or the abstract scale) are only kept within 32 bits.
        if (!target_.valueScale().centredCodes()) {
            range.lowest = -2147483648.0;
            range.highest = 2147483647.0;
        }
        SetRangeConstants(parser_, range);
    };
    setRange();
    std::string engineFormula;
    if (typed.find('{') == std::string::npos) {
        engineFormula = ToLower(typed);
        long shortest = parser_.ShortestWave(engineFormula, parser_.per);
        if (shortest < parser_.per && !AcceptShortest(shortest))
            return finish(false);
    } else {
        Result refused;
        std::string substituted = aliases.Substitute(typed, &refused);
        if (substituted == kMarkError) {
            Show(target_.prompts(), refused);
            if (forOk)
                ask(target_.prompts(), "Error",
                    strprintf("Expression:\n%s\nIncorrect", typed.c_str()));
            return finish(false);
        }
        parser_.SetAliases(&aliasValues_, static_cast<int>(aliases.size()));
        long shortest = parser_.per;
        if (!EvaluateAliases(substituted, shortest))
            return finish(false);
        engineFormula = ToLower(substituted);
    }
    setRange();
    parser_.SetAliases(&aliasValues_, static_cast<int>(aliases.size()));
    // A failure part way leaves points written, so the range is marked whatever the outcome.
    Result evaluated = Result::Failed();
    const std::unique_ptr<Progress> progress = target_.startProgress();
    RunSharing sharing;
    sharing.progress = progress.get();
    target_.samples().Write(static_cast<std::size_t>(range.start),
                            static_cast<std::size_t>(range.end), [&](SampleSpan points) {
                                evaluated = EvaluateOverRange(parser_, engineFormula, typed, range,
                                                              points, sharing);
                            });
    return finish(Show(target_.prompts(), evaluated));
}

bool EquationEditor::Preview() {
    return Evaluate(false);
}

void EquationEditor::Confirm(bool accept) {
    SaveSettings(accept);
}

bool EquationEditor::Ok() {
    if (!Evaluate(true))
        return false;
    SaveSettings(true);
    return true;
}

void EquationEditor::Cancel() {
    target_.restoreDialogBackup();
    target_.redraw();
    target_.restoreAnchors();
}

void EquationEditor::Default() {
    fields = {0, static_cast<double>(Wavelength() - 1), std::trunc(target_.lowerLevel()),
              std::trunc(target_.upperLevel()), 1};
    previous_ = fields;
}

void EquationEditor::SaveSettings(bool keepWave) {
    const std::string stateFile = EquationStateFile(target_.composer().session().tmpFolder);
    const std::string typed = formula.substr(0, kFormulaLength);
    auto known = std::find(history.begin(), history.end(), typed);
    if (known == history.end()) {
        history.push_back(typed);
        known = history.end() - 1;
    }
    historyIndex = static_cast<int>(known - history.begin());

    double start = fields[kStart], end = fields[kEnd];
    MoveRangeOn(start, end, static_cast<double>(Wavelength()));
    using Dialogs = ExchangeFile::Dialogs;
    Dialogs(target_.composer().session())
        .StoreEquation(target_.composer().waveParSection(),
                       {{Dialogs::Original, !scaleRadio_},
                        {Dialogs::Scale, scaleRadio_},
                        {Dialogs::AutoButton, autoFlag_},
                        {Dialogs::CheckBox, autoTicked_},
                        {Dialogs::ButtonAliases, aliasesShown}},
                       {{Stored::Start, SettingNumber(start)},
                        {Stored::End, SettingNumber(end)},
                        {Stored::LowLevel, SettingNumber(fields[kMin])},
                        {Stored::HighLevel, SettingNumber(fields[kMax])},
                        {Stored::Cycles, SettingNumber(fields[kCycles])}});
    StoreDialogPosition(target_.composer(), position);
    if (keepWave)
        target_.keepGenerated();
    WriteEquationState(target_.composer().session(), stateFile, typed, aliases.rows());
    WriteEquationIndex(target_.composer().session(), stateFile, historyIndex);
}

std::string EquationEditor::NameInWaveFolder(const std::string& path) const {
    const std::string& folder = parser_.waveFolder;
    if (!folder.empty() && FolderOf(path) == folder)
        return FileNameOf(path);
    return path;
}

void EquationEditor::InsertWave(const std::string& path) {
    formula += NameInWaveFolder(path);
}

void EquationEditor::InsertAliasWave(std::size_t row, const std::string& path) {
    aliases.SetFormula(row, NameInWaveFolder(path));
}

std::string EquationEditor::WaveFilter() const {
    std::string filter = target_.composer().waveOperandFilter();
    if (ExchangeFile::Instrument(target_.composer().session()).Model() == "QM8100") {
        filter.pop_back();
        filter += "Binary   (*.wfm)|*.wfm|ASCII -space delimited (*.afm)|*.afm||";
    }
    return filter;
}

void EquationEditor::ClearHistory() {
    const std::string file = EquationStateFile(target_.composer().session().tmpFolder);
    if (history.empty()) {
        RemoveFile(file);
        return;
    }
    if (ask(target_.prompts(), "Warning",
            "Are you sure you want to delete all expressions from the history?", Buttons::YesNo,
            Icon::Question) != Answer::Yes)
        return;
    RemoveFile(file);
    profile::ClearCache();
    aliases.Clear();
    history.clear();
    historyIndex = -1;
    formula.clear();
}

void EquationEditor::PickHistory(int index) {
    if (index < 0 || index >= static_cast<int>(history.size()))
        return;
    historyIndex = index;
    formula = history[index];
    aliases.Assign(
        LoadEquationAliases(EquationStateFile(target_.composer().session().tmpFolder), formula));
}

bool EquationEditor::SaveEquationFile(const std::string& path) {
    std::string target = path;
    if (!EqualsNoCase(ExtensionOf(target), "equ"))
        target += ".equ";
    const std::string stateFile = EquationStateFile(target_.composer().session().tmpFolder);
    WriteEquationState(target_.composer().session(), stateFile, formula.substr(0, kFormulaLength),
                       aliases.rows());
    if (!CopyFileOver(stateFile, target)) {
        ask(target_.prompts(), target_.composer().session().appName,
            strprintf("Cannot write the file\n%s", target.c_str()));
        return false;
    }
    return true;
}

bool EquationEditor::OpenEquationFile(const std::string& path) {
    EquationState chosen = LoadEquationState(path);
    if (chosen.current.empty() && chosen.history.empty()) {
        ask(target_.prompts(), target_.composer().session().appName,
            strprintf("%s\nis not an equation file.", path.c_str()));
        return false;
    }
    if (!CopyFileOver(path, EquationStateFile(target_.composer().session().tmpFolder)))
        return false;
    profile::ClearCache();
    LoadState();
    return true;
}

} // namespace tw
