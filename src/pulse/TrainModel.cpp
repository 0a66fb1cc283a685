#include "pulse/TrainModel.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "pulse/PulseOptions.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace tw {

const char* RowName(int format) {
    switch (format) {
    case kLinkFormat:
        return "Link";
    case kNodeFormat:
        return "Node";
    default:
        return "Tmpl";
    }
}

std::string TrainRootSection(int channel) {
    return strprintf("PulseRoot-ch%d", channel + 1);
}

std::string TrainSectionName(int channel, int i) {
    return strprintf("Pulse%d-ch%d", i, channel + 1);
}

std::string CellKey(std::string_view rowName, int row, int column) {
    return strprintf("%.*s%d-sub%d", static_cast<int>(rowName.size()), rowName.data(), row, column);
}

double LeadingNumber(const std::optional<std::string>& text, double def) {
    return text ? LeadingValue(*text).value_or(def) : def;
}

int StoredInt(double v) {
    return ClampedInt(v);
}

int StoredCount(double v) {
    return std::min(StoredInt(v), kMaxTrainCount);
}

int SectionFormat(double stored) {
    return stored >= 0 && stored < 3 ? static_cast<int>(stored) : kNodeFormat;
}

std::string TimeText(double seconds) {
    return EngNumberText(seconds, 9);
}

namespace {

std::vector<std::string> linesOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const auto& [k, v] : entries)
        lines.push_back(k + "=" + v);
    return lines;
}

} // namespace

TrainEdit::TrainEdit(const LaunchState& session, int channel) : channel_(channel) {
    t_.emplace(session, session.exchangeFile);
}

bool TrainEdit::commit() {
    bool ok = t_->commit();
    t_.reset(); // releases the lock before anyone is told of the change
    return ok;
}

std::optional<std::string> TrainEdit::root(std::string_view key) const {
    return t_->get(TrainRootSection(channel_), key);
}
double TrainEdit::rootNumber(std::string_view key, double def) const {
    return LeadingNumber(root(key), def);
}
void TrainEdit::setRoot(std::string_view key, std::string_view text) {
    t_->write(TrainRootSection(channel_), key, text);
}

std::optional<std::string> TrainEdit::sectionKey(int i, std::string_view key) const {
    return t_->get(TrainSectionName(channel_, i), key);
}
double TrainEdit::sectionNumber(int i, std::string_view key, double def) const {
    return LeadingNumber(sectionKey(i, key), def);
}
void TrainEdit::setSectionKey(int i, std::string_view key, std::string_view text) {
    t_->write(TrainSectionName(channel_, i), key, text);
}
void TrainEdit::deleteSectionKey(int i, std::string_view key) {
    t_->deleteKey(TrainSectionName(channel_, i), key);
}

std::optional<std::string> TrainEdit::cell(int i, std::string_view rowName, int r, int c) const {
    return t_->get(TrainSectionName(channel_, i), CellKey(rowName, r, c));
}
void TrainEdit::setCell(int i, std::string_view rowName, int r, int c,
                        const std::optional<std::string>& text) {
    if (text)
        t_->write(TrainSectionName(channel_, i), CellKey(rowName, r, c), *text);
    else
        t_->deleteKey(TrainSectionName(channel_, i), CellKey(rowName, r, c));
}

void TrainEdit::recomputeStarts(int k) {
    int count = StoredCount(rootNumber("qPls", 0));
    if (k < 0 || k >= count)
        return;
    double start = sectionNumber(k, "Start", 0);
    for (int i = k + 1; i < count; ++i) {
        start += sectionNumber(i - 1, "Repeat", 1) * sectionNumber(i - 1, "LocDur", 0);
        setSectionKey(i, "Start", TimeText(start));
    }
}

double TrainEdit::recomputeDuration() {
    int count = StoredCount(rootNumber("qPls", 0));
    double duration = 0;
    for (int i = 0; i < count; ++i)
        duration += sectionNumber(i, "Repeat", 1) * sectionNumber(i, "LocDur", 0);
    setRoot("Duration", strprintf("%g", duration));
    return duration;
}

void TrainEdit::recomputeLevels() {
    int count = StoredCount(rootNumber("qPls", 0));
    bool any = false;
    double low = 0, high = 0;
    for (int i = 0; i < count; ++i) {
        double mn = sectionNumber(i, "mnV", kAbsent), mx = sectionNumber(i, "mxV", kAbsent);
        if (IsAbsent(mn) || IsAbsent(mx))
            continue;
        low = any ? std::min(low, mn) : mn;
        high = any ? std::max(high, mx) : mx;
        any = true;
    }
    if (any) {
        setRoot("VpMn", strprintf("%g", low));
        setRoot("VpMx", strprintf("%g", high));
    }
}

void TrainEdit::copySection(int from, int to) {
    t_->writeSection(TrainSectionName(channel_, to), sectionLines(from));
}

void TrainEdit::deleteSection(int i) {
    t_->deleteSection(TrainSectionName(channel_, i));
}

void TrainEdit::replaceSection(int i, const std::vector<std::string>& lines) {
    t_->writeSection(TrainSectionName(channel_, i), lines);
}

std::vector<std::string> TrainEdit::sectionLines(int i) const {
    return linesOf(t_->entries(TrainSectionName(channel_, i)));
}

std::string ReadTrainRoot(const LaunchState& session, int channel, std::string_view key) {
    return profile::GetValue(session.exchangeFile, TrainRootSection(channel), key).value_or("");
}

double ReadTrainRootNumber(const LaunchState& session, int channel, std::string_view key,
                           double def) {
    return LeadingNumber(profile::GetValue(session.exchangeFile, TrainRootSection(channel), key),
                         def);
}

bool WriteTrainRoot(const LaunchState& session, int channel, std::string_view key,
                    std::string_view text) {
    return profile::WriteValue(session, session.exchangeFile, TrainRootSection(channel), key, text);
}

double ReadSectionKey(const LaunchState& session, int channel, int i, std::string_view key,
                      double def) {
    return LeadingNumber(profile::GetValue(session.exchangeFile, TrainSectionName(channel, i), key),
                         def);
}

bool WriteSectionKey(const LaunchState& session, int channel, int i, std::string_view key,
                     std::string_view text) {
    return profile::WriteValue(session, session.exchangeFile, TrainSectionName(channel, i), key,
                               text);
}

bool ParseCellKey(std::string_view key, std::string_view rowName, int& r, int& c) {
    if (key.size() <= rowName.size() || !StartsWithNoCase(key, rowName))
        return false;
    const char* p = key.data() + rowName.size();
    const char* end = key.data() + key.size();
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    r = 0;
    while (p < end && std::isdigit(static_cast<unsigned char>(*p)))
        if ((r = r * 10 + (*p++ - '0')) > kMaxTrainCount)
            return false;
    if (end - p < 5 || !EqualsNoCase(std::string_view(p, 4), "-sub"))
        return false;
    p += 4;
    c = 0;
    while (p < end && std::isdigit(static_cast<unsigned char>(*p)))
        if ((c = c * 10 + (*p++ - '0')) > 9)
            return false;
    return p == end;
}

int SectionRowLimit(const std::vector<std::pair<std::string, std::string>>& entries,
                    std::string_view rowName) {
    int cells = 0, r, c;
    for (const auto& [k, v] : entries)
        if (ParseCellKey(k, rowName, r, c) && c >= 1 && c <= 3)
            ++cells;
    return cells;
}

namespace {

double entryNumber(const std::vector<std::pair<std::string, std::string>>& entries,
                   std::string_view key, double def) {
    for (const auto& [k, v] : entries)
        if (EqualsNoCase(k, key))
            return LeadingNumber(v, def);
    return def;
}

} // namespace

TrainData ReadTrain(const LaunchState& session, int channel) {
    profile::Snapshot snap(session.exchangeFile);
    std::string rootName = TrainRootSection(channel);
    auto rootNumber = [&](const char* key, double def) {
        return LeadingNumber(snap.get(rootName, key), def);
    };
    TrainData train;
    train.sectionCount = StoredCount(rootNumber("qPls", 0));
    train.activeSection = StoredCount(rootNumber("activePls", 0));
    train.levelLow = rootNumber("VpMn", 0);
    train.levelHigh = rootNumber("VpMx", 0);
    train.timeUnit = TimeUnitIndex(rootNumber("tmUnitInd", 1));
    train.levelUnit = LevelUnitIndex(rootNumber("voltInd", 0));
    for (int i = 0; i < train.sectionCount; ++i) {
        auto entries = snap.entries(TrainSectionName(channel, i));
        TrainSectionData s;
        s.format = SectionFormat(entryNumber(entries, "SectFmt", kNodeFormat));
        std::string_view rowName = RowName(s.format);
        s.rowCount = std::clamp(StoredCount(entryNumber(entries, "qItm", 0)), 0,
                                SectionRowLimit(entries, rowName));
        s.start = entryNumber(entries, "Start", 0);
        s.localDuration = entryNumber(entries, "LocDur", 0);
        s.repeat = StoredInt(entryNumber(entries, "Repeat", 1));
        s.rows.resize(static_cast<size_t>(s.rowCount));
        for (const auto& [k, v] : entries) {
            int r, c;
            if (!ParseCellKey(k, rowName, r, c) || r >= s.rowCount || c < 1 || c > 3)
                continue;
            auto x = LeadingValue(v);
            if (!x)
                continue;
            TrainRow& row = s.rows[static_cast<size_t>(r)];
            (c == 1 ? row.level : c == 2 ? row.interval : row.cumulative) = *x;
        }
        train.duration += s.repeat * s.localDuration;
        train.sections.push_back(std::move(s));
    }
    return train;
}

namespace {

bool isTrainSection(const std::string& lowerName, const std::string& lowerSuffix) {
    if (lowerName == "pulseroot" + lowerSuffix)
        return true;
    if (lowerName.size() <= 5 + lowerSuffix.size() || lowerName.compare(0, 5, "pulse") != 0 ||
        lowerName.compare(lowerName.size() - lowerSuffix.size(), lowerSuffix.size(), lowerSuffix) !=
            0)
        return false;
    for (size_t i = 5; i < lowerName.size() - lowerSuffix.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(lowerName[i])))
            return false;
    return true;
}

} // namespace

namespace {

Notice refusedNotice(const std::string& caption, const std::string& path,
                     const std::vector<std::string>& refused) {
    constexpr size_t kShown = 12;
    std::string text = "File " + path;
    for (size_t i = 0; i < refused.size() && i < kShown; ++i)
        text += "\n" + refused[i];
    if (refused.size() > kShown)
        text += strprintf("\n... and %zu more.", refused.size() - kShown);
    return {0, caption, text, Buttons::Ok, Icon::Exclamation};
}

} // namespace

Result CopyTrain(const LaunchState& session, int channel, const std::string& path, bool save,
                 const TrainBounds& bounds) {
    const std::string& exchange = session.exchangeFile;
    std::string suffix = strprintf("-ch%d", channel + 1);
    const std::string& fromFile = save ? exchange : path;
    const std::string& toFile = save ? path : exchange;
    std::string fromSuffix = save ? suffix : std::string();
    std::string toSuffix = save ? std::string() : suffix;

    profile::Snapshot from(fromFile);
    if (!from.get("PulseRoot" + fromSuffix, "qPls"))
        return Result::Failed();
    BoundedTrain train;
    if (save) {
        train.root = linesOf(from.entries("PulseRoot" + fromSuffix));
        int sections = StoredCount(LeadingNumber(from.get("PulseRoot" + fromSuffix, "qPls"), 0));
        for (int i = 0; i < sections; ++i)
            train.sections.push_back(linesOf(from.entries(strprintf("Pulse%d", i) + fromSuffix)));
    } else {
        train = BoundTrain(from, fromSuffix, bounds);
    }

    std::vector<std::string> stale;
    std::string lowerSuffix = ToLower(toSuffix);
    for (const auto& name : profile::Snapshot(toFile).sectionNames())
        if (isTrainSection(ToLower(name), lowerSuffix))
            stale.push_back(name);

    auto write = [&](profile::Transaction& to) {
        for (const auto& name : stale)
            to.deleteSection(name);
        to.writeSection("PulseRoot" + toSuffix, train.root);
        for (size_t i = 0; i < train.sections.size(); ++i)
            if (!train.sections[i].empty())
                to.writeSection(strprintf("Pulse%zu", i) + toSuffix, train.sections[i]);
    };
    if (save) {
        profile::Transaction to(session, toFile);
        write(to);
        return to.commit() ? Result() : Result::Failed();
    }
    TrainEdit e(session, channel);
    write(e.raw());
    if (!train.refused.empty()) {
        // What was refused or left out changes the starts and the duration.
        e.recomputeStarts(0);
        e.recomputeDuration();
    }
    if (!e.commit())
        return Result::Failed();
    if (!train.refused.empty())
        return Result().then(refusedNotice(session.appName, path, train.refused));
    return {};
}

} // namespace tw
