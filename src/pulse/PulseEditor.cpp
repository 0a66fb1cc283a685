#include "pulse/PulseEditor.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/Result.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace tw {

namespace {

constexpr const char* kAppendSectionRefused =
    "Available in the \"Full Train\" Current View mode only";
constexpr const char* kInsertSectionRefused =
    "Available in the \"Full Train\" Current Viewmode only";

const char* formatName(int format) {
    return format == kLinkFormat   ? "DC Intervals"
           : format == kNodeFormat ? "Points"
                                   : "Pulse Template";
}

std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    return s;
}

bool parseNumber(const std::string& text, double& v) {
    const char* b = text.c_str();
    char* e = nullptr;
    v = std::strtod(b, &e);
    return e != b && *e == '\0' && std::isfinite(v);
}

std::string levelText(double v) {
    return strprintf("%.10g", v);
}

} // namespace

PulseEditor::PulseEditor(const PulseLimits& limits, PulseEditorHost& host,
                         const LaunchState& session, Prompter& prompts)
    : limits_(limits), host_(host), session_(session), prompts_(prompts) {}

void PulseEditor::say(const std::string& text) const {
    ask(prompts_, session_.appName, text, Buttons::Ok, Icon::Exclamation);
}

int PulseEditor::columnCount() const {
    return format_ == kTemplateFormat ? 2 : 4;
}

std::vector<std::string> PulseEditor::columnTitles() const {
    if (format_ == kTemplateFormat)
        return {"Index", "Pulse Template"};
    return {" Index", " Level  ", " Time\n Interval", " Cumulative\n Time"};
}

bool PulseEditor::isEditable(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 1 && column < columnCount();
}

double PulseEditor::levelFactor() const {
    return UnitFactor(levelUnit_);
}

std::string PulseEditor::sectionUndoFile() const {
    return session_.tmpFolder + "UndoSect.tmp";
}
std::string PulseEditor::trainUndoFile() const {
    return session_.tmpFolder + "UndoPulse.tmp";
}

PulseEditor::Row PulseEditor::emptyRow(int index) const {
    Row row(static_cast<size_t>(columnCount()));
    row[0] = strprintf("%d", index + 1);
    if (format_ == kNodeFormat && index == 0)
        row[kIntervalColumn] = row[kCumulativeColumn] = "0";
    return row;
}

void PulseEditor::renumber(int from) {
    for (int r = std::max(from, 0); r < rowCount(); ++r)
        rows_[r][0] = strprintf("%d", r + 1);
}

std::optional<double> PulseEditor::value(int row, int column) const {
    double v;
    if (row < 0 || row >= rowCount() || !parseNumber(rows_[row][column], v))
        return std::nullopt;
    return v;
}

void PulseEditor::OpenSection() {
    const std::string& exchange = session_.exchangeFile;
    int previous = activeSection_;
    bool reopened = !rows_.empty();
    std::vector<std::pair<std::string, std::string>> entries;
    bool raise = false, writeRepeat = false;
    {
        profile::Snapshot snap(exchange);
        std::string root = TrainRootSection(channel());
        activeSection_ = std::max(0, StoredCount(LeadingNumber(snap.get(root, "activePls"), 0)));
        sectionCount_ = StoredCount(LeadingNumber(snap.get(root, "qPls"), 0));
        if (sectionCount_ < activeSection_ + 1) {
            sectionCount_ = activeSection_ + 1;
            raise = true;
        }
        timeUnit_ = TimeUnitIndex(LeadingNumber(snap.get(root, "tmUnitInd"), 1));
        timeFactor_ = UnitFactor(timeUnit_);
        levelUnit_ = LevelUnitIndex(LeadingNumber(snap.get(root, "voltInd"), 0));
        std::string name = TrainSectionName(channel(), activeSection_);
        format_ = SectionFormat(LeadingNumber(snap.get(name, "SectFmt"), kNodeFormat));
        sectionStart_ = LeadingNumber(snap.get(name, "Start"), 0);
        auto repeat = snap.get(name, "Repeat");
        writeRepeat = !repeat;
        repeat_ = StoredInt(LeadingNumber(repeat, 1));
        localDuration_ = LeadingNumber(snap.get(name, "locDur"), 0);
        storedRows_ = StoredCount(LeadingNumber(snap.get(name, "qItm"), 0));
        entries = snap.entries(name);
    }
    rowName_ = RowName(format_);
    if (reopened && previous != activeSection_)
        RemoveFile(sectionUndoFile()); // its snapshot belongs to another section

    const int rowLimit = SectionRowLimit(entries, rowName_);
    storedRows_ = std::min(storedRows_, rowLimit);
    std::map<std::pair<int, int>, std::string> cells;
    int rows = std::max(storedRows_, 1);
    for (const auto& [k, v] : entries) {
        int r, c;
        if (ParseCellKey(k, rowName_, r, c) && r < rowLimit && c >= 1 && c < columnCount()) {
            cells[{r, c}] = v;
            rows = std::max(rows, r + 1);
        }
    }
    rows_.clear();
    rows_.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        host_.sectionReading(r, rows);
        Row row = emptyRow(r);
        for (int c = 1; c < columnCount(); ++c) {
            auto it = cells.find({r, c});
            if (it == cells.end())
                continue;
            double v;
            if (format_ == kTemplateFormat || !parseNumber(it->second, v))
                row[c] = it->second;
            else if (c == kLevelColumn)
                row[c] = levelText(v * levelFactor());
            else
                row[c] = TimeText(v * timeFactor_);
        }
        rows_.push_back(std::move(row));
    }
    host_.sectionReading(rows, rows);
    if (selectedRow >= rowCount())
        selectedRow = rowCount() - 1;

    if (raise || writeRepeat) {
        TrainEdit e(session_, channel());
        if (raise)
            e.setRoot("qPls", strprintf("%d", sectionCount_));
        if (writeRepeat)
            e.setSectionKey(activeSection_, "Repeat", "1");
        e.commit();
    }
}

bool PulseEditor::refuse(int id, int row, const std::string& text) const {
    say(vformat(StringText(id), row + 1, text.c_str()));
    return false;
}

bool PulseEditor::validate(int row, int column, const std::string& text, double v) const {
    double period = limits_.sclkMax > 0 ? timeFactor_ / limits_.sclkMax : 0;
    // A value typed at exactly one sample period must pass despite rounding.
    auto belowResolution = [&](double d) { return d > 0 && d < period * (1 - 1e-9); };
    if (column == kLevelColumn) {
        double low = v / levelFactor(), high = low;
        for (int r = 0; r < rowCount(); ++r)
            if (auto l = value(r, kLevelColumn); l && r != row) {
                low = std::min(low, *l / levelFactor());
                high = std::max(high, *l / levelFactor());
            }
        if (low < limits_.levelMin || high > limits_.levelMax ||
            (limits_.ampOfsIndependent && high - low > limits_.levelMax))
            return refuse(kMsgLinkLevelOutOfRange, row, text);
        return true;
    }
    if (column == kIntervalColumn) {
        if (format_ == kLinkFormat && v <= 0)
            return refuse(kMsgLinkIntervalNotPositive, row, text);
        // An interval shorter than a sample is the compilation's to report: it knows the clock.
        if (format_ == kNodeFormat && v < 0)
            return refuse(kMsgLinkIntervalNegative, row, text);
        return true;
    }
    std::optional<double> above, below;
    for (int r = row - 1; r >= 0 && !above; --r)
        above = value(r, kCumulativeColumn);
    for (int r = row + 1; r < rowCount() && !below; ++r)
        below = value(r, kCumulativeColumn);
    if (!above && format_ == kLinkFormat)
        above = 0.0; // a DC-interval section starts at its own time 0
    if ((above && v < *above) || (below && v > *below))
        return refuse(kMsgLinkTimeSequence, row, text);
    double step = v - above.value_or(0);
    if (belowResolution(step) || (format_ == kLinkFormat && step == 0))
        return refuse(kMsgLinkTimeResolution, row, text);
    return true;
}

void PulseEditor::storeRow(TrainEdit& e, int row) const {
    for (int c = 1; c < columnCount(); ++c) {
        const std::string& t = rows_[row][c];
        double v;
        std::optional<std::string> stored;
        if (t.empty())
            stored.reset();
        else if (format_ == kTemplateFormat || !parseNumber(t, v))
            stored = t;
        else if (c == kLevelColumn)
            stored = levelText(v / levelFactor());
        else
            stored = TimeText(v / timeFactor_);
        e.setCell(activeSection_, rowName_, row, c, stored);
    }
}

void PulseEditor::storeDerived(TrainEdit& e) {
    int a = activeSection_;
    storedRows_ = 0;
    bool anyLevel = false;
    double low = 0, high = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (rows_[r][kLevelColumn].empty())
            continue;
        storedRows_ = r + 1;
        if (auto l = value(r, kLevelColumn); l && format_ != kTemplateFormat) {
            double volts = *l / levelFactor();
            low = anyLevel ? std::min(low, volts) : volts;
            high = anyLevel ? std::max(high, volts) : volts;
            anyLevel = true;
        }
    }
    e.setSectionKey(a, "qItm", EngNumberText(storedRows_, 9));

    localDuration_ = 0;
    if (format_ != kTemplateFormat)
        for (int r = rowCount() - 1; r >= 0; --r)
            if (auto t = value(r, kCumulativeColumn)) {
                localDuration_ = *t / timeFactor_;
                break;
            }
    e.setSectionKey(a, "LocDur", TimeText(localDuration_));

    if (anyLevel) {
        e.setSectionKey(a, "mnV", strprintf("%.3f", low));
        e.setSectionKey(a, "mxV", strprintf("%.3f", high));
    } else {
        e.deleteSectionKey(a, "mnV");
        e.deleteSectionKey(a, "mxV");
    }
    e.recomputeLevels();
    e.recomputeStarts(a);
    e.recomputeDuration();
}

void PulseEditor::commitAndNotify(TrainEdit& e) {
    e.commit();
    host_.trainChanged();
}

void PulseEditor::commitAndReopen(TrainEdit& e) {
    e.commit();
    OpenSection();
    host_.trainChanged();
}

bool PulseEditor::EditCell(int row, int column, const std::string& typed) {
    if (!isEditable(row, column))
        return false;
    std::string text = rtrim(typed);
    const std::string previous = rows_[row][column];
    if (text.empty())
        return false;
    if (format_ == kNodeFormat && row == 0 && column != kLevelColumn && text != "0")
        return refuse(kMsgPointsFieldNotEditable, row, text);
    if (text == previous)
        return true;

    double v = 0;
    if (format_ != kTemplateFormat) {
        if (!parseNumber(text, v))
            return refuse(kMsgLinkNotNumeric, row, text);
        if (!validate(row, column, text, v))
            return false;
    }

    TrainEdit e(session_, channel());
    rows_[row][column] = text;
    if (format_ != kTemplateFormat && column != kLevelColumn) {
        double prev = row > 0 ? value(row - 1, kCumulativeColumn).value_or(0) : 0;
        if (column == kIntervalColumn) {
            rows_[row][kCumulativeColumn] = TimeText(prev + v);
            for (int j = row + 1; j < rowCount(); ++j) {
                auto interval = value(j, kIntervalColumn);
                if (!interval)
                    break;
                rows_[j][kCumulativeColumn] =
                    TimeText(value(j - 1, kCumulativeColumn).value_or(0) + *interval);
                storeRow(e, j);
            }
        } else {
            rows_[row][kIntervalColumn] = TimeText(v - prev);
            if (auto next = value(row + 1, kCumulativeColumn); next && *next - v >= 0) {
                rows_[row + 1][kIntervalColumn] = TimeText(*next - v);
                storeRow(e, row + 1);
            }
        }
    }
    storeRow(e, row);
    storeDerived(e);
    commitAndNotify(e);
    return true;
}

bool PulseEditor::SetFormat(int format) {
    if (format == format_)
        return true;
    if (storedRows_ != 0) {
        say(StringText(kMsgTrainFormatEmptyOnly));
        return false;
    }
    TrainEdit e(session_, channel());
    std::vector<std::string> lines;
    for (const auto& line : e.sectionLines(activeSection_)) {
        int r, c;
        std::string key = line.substr(0, line.find('='));
        if (!ParseCellKey(key, rowName_, r, c) && !EqualsNoCase(key, "SectFmt"))
            lines.push_back(line);
    }
    lines.push_back(strprintf("SectFmt=%d", format));
    e.replaceSection(activeSection_, lines);
    e.commit();
    WriteGeneralSetting(session_, "PulsColw", "", "DrawRect");
    OpenSection();
    host_.trainChanged();
    return true;
}

void PulseEditor::saveSection() const {
    RemoveFile(trainUndoFile());
    RemoveFile(sectionUndoFile());
    std::vector<std::string> lines;
    for (const auto& [k, v] : profile::SectionEntries(session_.exchangeFile,
                                                      TrainSectionName(channel(), activeSection_)))
        lines.push_back(k + "=" + v);
    profile::WriteSection(session_, sectionUndoFile(), TrainSectionName(channel(), activeSection_),
                          lines);
}

void PulseEditor::saveTrain() const {
    RemoveFile(trainUndoFile());
    (void)CopyTrain(session_, channel(), trainUndoFile(), true); // saving tells nothing
}

bool PulseEditor::CanUndo() const {
    return FileExists(sectionUndoFile());
}
bool PulseEditor::CanUndoTrain() const {
    return FileExists(trainUndoFile());
}

void PulseEditor::AppendRow() {
    saveSection();
    rows_.push_back(emptyRow(rowCount()));
    selectedRow = rowCount() - 1;
}

bool PulseEditor::InsertRow() {
    int sel = selectedRow;
    if (sel < 0 || sel >= rowCount() || !CheckComplete())
        return false;
    saveSection();
    TrainEdit e(session_, channel());
    int a = activeSection_;
    for (int r = rowCount() - 1; r >= sel; --r)
        for (int c = 1; c < columnCount(); ++c)
            e.setCell(a, rowName_, r + 1, c, e.cell(a, rowName_, r, c));
    rows_.insert(rows_.begin() + sel, emptyRow(sel));
    renumber(sel);
    storeRow(e, sel);
    if (format_ == kNodeFormat && sel == 0)
        storeRow(e, 1); // the old start node keeps its shown "0" times
    storeDerived(e);
    commitAndNotify(e);
    return true;
}

bool PulseEditor::DeleteRow() {
    int sel = selectedRow;
    if (sel < 0 || sel >= rowCount())
        return false;
    if (format_ == kNodeFormat && sel == 0) {
        say("For design format \"Points\" first item cannot be removed");
        return false;
    }
    saveSection();
    TrainEdit e(session_, channel());
    int a = activeSection_;
    int last = rowCount() - 1;
    for (int r = sel; r < last; ++r)
        for (int c = 1; c < columnCount(); ++c)
            e.setCell(a, rowName_, r, c, e.cell(a, rowName_, r + 1, c));
    for (int c = 1; c < columnCount(); ++c)
        e.setCell(a, rowName_, last, c, std::nullopt);
    rows_.erase(rows_.begin() + sel);
    renumber(sel);
    if (format_ == kLinkFormat) {
        for (int j = sel; j < rowCount(); ++j) {
            auto interval = value(j, kIntervalColumn);
            if (!interval)
                break;
            double prev = j > 0 ? value(j - 1, kCumulativeColumn).value_or(0) : 0;
            rows_[j][kCumulativeColumn] = TimeText(prev + *interval);
            storeRow(e, j);
        }
    } else if (format_ == kNodeFormat && sel < rowCount()) {
        auto here = value(sel, kCumulativeColumn), before = value(sel - 1, kCumulativeColumn);
        if (here && before) {
            rows_[sel][kIntervalColumn] = TimeText(*here - *before);
            storeRow(e, sel);
        }
    }
    if (selectedRow >= rowCount())
        selectedRow = rowCount() - 1;
    storeDerived(e);
    commitAndNotify(e);
    return true;
}

void PulseEditor::DeleteAll() {
    saveSection();
    TrainEdit e(session_, channel());
    int a = activeSection_;
    e.replaceSection(a, {strprintf("SectFmt=%d", format_),
                         "Start=" + e.sectionKey(a, "Start").value_or("0"), "Repeat=1"});
    repeat_ = 1;
    rows_.clear();
    rows_.push_back(emptyRow(0));
    selectedRow = 0;
    storeRow(e, 0);
    storeDerived(e);
    commitAndNotify(e);
}

bool PulseEditor::Undo() {
    if (!CanUndo())
        return false;
    auto lines =
        profile::SectionLines(sectionUndoFile(), TrainSectionName(channel(), activeSection_));
    {
        TrainEdit restore(session_, channel());
        restore.replaceSection(activeSection_, lines);
        restore.commit();
    }
    RemoveFile(sectionUndoFile());
    OpenSection();
    TrainEdit e(session_, channel());
    storeDerived(e);
    commitAndNotify(e);
    return true;
}

bool PulseEditor::ApplyRepeat(const std::string& text) {
    int v = StoredWhole(text);
    if (v < 1 || v > limits_.maxLoopNo) {
        say(vformat(StringText(kMsgLoopsOutOfRange), v));
        return false;
    }
    if (v == repeat_)
        return true;
    repeat_ = v;
    TrainEdit e(session_, channel());
    e.setSectionKey(activeSection_, "Repeat", strprintf("%d", v));
    e.recomputeStarts(activeSection_);
    e.recomputeDuration();
    commitAndNotify(e);
    return true;
}

bool PulseEditor::IsComplete() const {
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 1; c < columnCount(); ++c)
            if (rows_[r][c].empty()) {
                if (r != rowCount() - 1)
                    return false;
                for (int k = 1; k < columnCount(); ++k)
                    if (!rows_[r][k].empty())
                        return false;
                return true;
            }
    return true;
}

bool PulseEditor::CheckComplete() const {
    if (IsComplete())
        return true;
    say(vformat(StringText(kMsgSectionIncomplete), activeSection_ + 1));
    return false;
}

bool PulseEditor::CheckNewSectionPosition(int p) const {
    profile::Snapshot snap(session_.exchangeFile);
    int count = StoredCount(LeadingNumber(snap.get(TrainRootSection(channel()), "qPls"), 0));
    auto filled = [&](int i) {
        return LeadingNumber(snap.get(TrainSectionName(channel(), i), "qItm"), 0) >= 1;
    };
    if ((p > 0 && !filled(p - 1)) || (p < count && !filled(p))) {
        say("Only one empty section is allowed at any time");
        return false;
    }
    return true;
}

bool PulseEditor::sectionCommandAllowed(const char* message) const {
    if (host_.fullTrainView())
        return true;
    say(message);
    return false;
}

std::vector<std::string> PulseEditor::freshSection(double start) const {
    return {strprintf("SectFmt=%d", format_), "qItm=0", "Start=" + TimeText(start), "LocDur=0",
            "Repeat=1"};
}

bool PulseEditor::AppendSection() {
    if (!sectionCommandAllowed(kAppendSectionRefused) || !CheckComplete())
        return false;
    int count = StoredCount(ReadTrainRootNumber(session_, channel(), "qPls", 0));
    if (!CheckNewSectionPosition(count))
        return false;
    saveTrain();
    TrainEdit e(session_, channel());
    e.replaceSection(count, freshSection(e.rootNumber("Duration", 0)));
    e.setRoot("qPls", strprintf("%d", count + 1));
    e.setRoot("activePls", strprintf("%d", count));
    e.recomputeStarts(count - 1);
    commitAndReopen(e);
    return true;
}

bool PulseEditor::InsertSection() {
    if (!sectionCommandAllowed(kInsertSectionRefused) || !CheckComplete())
        return false;
    int count = StoredCount(ReadTrainRootNumber(session_, channel(), "qPls", 0));
    int p = activeSection_;
    if (!CheckNewSectionPosition(p))
        return false;
    saveTrain();
    TrainEdit e(session_, channel());
    double start = e.sectionNumber(p, "Start", 0);
    for (int i = count - 1; i >= p; --i)
        e.copySection(i, i + 1);
    e.replaceSection(p, freshSection(start));
    e.setRoot("qPls", strprintf("%d", count + 1));
    e.recomputeStarts(p);
    e.recomputeDuration();
    commitAndReopen(e);
    return true;
}

bool PulseEditor::DeleteSection() {
    int count = StoredCount(ReadTrainRootNumber(session_, channel(), "qPls", 0));
    if (count < 2)
        return RemoveAllSections();
    int a = activeSection_;
    if (a > 0 && a < count - 1 && ReadSectionKey(session_, channel(), a - 1, "LocDur", 0) == 0 &&
        ReadSectionKey(session_, channel(), a + 1, "LocDur", 0) == 0) {
        say("Empty adjacent sections are prohibited.\nRemove one to be able to proceed.");
        return false;
    }
    saveTrain();
    TrainEdit e(session_, channel());
    std::string firstStart = e.sectionKey(0, "Start").value_or("0");
    for (int i = a; i < count - 1; ++i)
        e.copySection(i + 1, i);
    e.deleteSection(count - 1);
    if (a == 0)
        e.setSectionKey(0, "Start", firstStart);
    e.setRoot("qPls", strprintf("%d", count - 1));
    e.setRoot("activePls", strprintf("%d", a < count - 1 ? a : a - 1));
    e.recomputeStarts(0);
    e.recomputeDuration();
    e.recomputeLevels();
    commitAndReopen(e);
    return true;
}

bool PulseEditor::RemoveAllSections() {
    if (!sectionCommandAllowed(kAppendSectionRefused))
        return false;
    if (ask(prompts_, session_.appName,
            "You are about remove all sections of the sectFmt.\nConfirm your intention.",
            Buttons::YesNo, Icon::Exclamation) != Answer::Yes)
        return false;
    saveTrain();
    int count = StoredCount(ReadTrainRootNumber(session_, channel(), "qPls", 0));
    TrainEdit e(session_, channel());
    for (int i = 0; i < count; ++i)
        e.deleteSection(i);
    e.replaceSection(0, freshSection(0));
    e.setRoot("qPls", "1");
    e.setRoot("activePls", "0");
    e.recomputeDuration();
    commitAndReopen(e);
    return true;
}

bool PulseEditor::LoadTrain(const std::string& path) {
    if (!Show(prompts_, CopyTrain(session_, channel(), path, false,
                                  {limits_.LinkBound(), limits_.LoopBound()})))
        return false;
    RemoveFile(trainUndoFile());
    OpenSection();
    host_.trainChanged();
    return true;
}

bool PulseEditor::UndoTrain() {
    return CanUndoTrain() && LoadTrain(trainUndoFile());
}

std::string PulseEditor::Title() const {
    return strprintf("Pulse Editor - Section %d   <%s>", activeSection_ + 1, formatName(format_));
}

std::string PulseEditor::DesignUnitsText() const {
    return std::string(LevelUnitLabel(levelUnit_)) + ", " + TimeUnitLabel(timeUnit_);
}

std::string PulseEditor::SectionStartText() const {
    return TimeText(sectionStart_ * timeFactor_) + " " + TimeUnitLabel(timeUnit_);
}

std::string PulseEditor::DurationText() const {
    return TimeText(repeat_ * localDuration_ * timeFactor_) + " " + TimeUnitLabel(timeUnit_);
}

std::string PulseEditor::RepeatText() const {
    return strprintf("%d", repeat_);
}

std::string PulseEditor::StatusText(int column) {
    static const char* const names[] = {"Loops", "Level", " Time Interval", "Cumulative Time"};
    return strprintf("Click on the field to edit the <%s> value.",
                     names[column < 0 || column > 3 ? 0 : column]);
}

} // namespace tw
