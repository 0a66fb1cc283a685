#include "pulse/TrainBounds.h"

#include "app/FileUtil.h"
#include "app/Printf.h"
#include "app/StoredNumber.h"
#include "pulse/TrainModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace tw {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string* find(Entries& entries, std::string_view key) {
    for (auto& [k, v] : entries)
        if (EqualsNoCase(k, key))
            return &v;
    return nullptr;
}

class Checker {
  public:
    explicit Checker(std::vector<std::string>& refused) : refused_(refused) {}

    // A whole number of low..high: absent (or no number) gives `absent`, anything else outside
    // is replaced by `fallback`.
    long long whole(Entries& entries, const std::string& section, std::string_view key,
                    long long low, long long high, long long fallback, long long absent) {
        std::string* v = find(entries, key);
        auto x = v ? StoredNumber(*v) : std::nullopt;
        if (!x)
            return absent;
        double w = std::trunc(*x);
        if (std::isfinite(w) && w >= static_cast<double>(low) && w <= static_cast<double>(high))
            return static_cast<long long>(w);
        refuse(section, key, *v,
               strprintf("is out of range %lld..%lld; %lld is used.", low, high, fallback));
        *v = strprintf("%lld", fallback);
        return fallback;
    }

    // A real number that is not finite is replaced by 0.
    void finite(Entries& entries, const std::string& section, std::string_view key) {
        std::string* v = find(entries, key);
        auto x = v ? StoredNumber(*v) : std::nullopt;
        if (!x || std::isfinite(*x))
            return;
        refuse(section, key, *v, "is not a finite number; 0 is used.");
        *v = "0";
    }

    // Cells whose number is not finite are left empty.
    void cells(Entries& entries, const std::string& section, std::string_view rowName) {
        std::erase_if(entries, [&](const auto& entry) {
            int r, c;
            auto x = StoredNumber(entry.second);
            if (!ParseCellKey(entry.first, rowName, r, c) || !x || std::isfinite(*x))
                return false;
            refuse(section, entry.first, entry.second,
                   "is not a finite number; the cell is empty.");
            return true;
        });
    }

    void note(std::string line) { refused_.push_back(std::move(line)); }

  private:
    void refuse(const std::string& section, std::string_view key, const std::string& value,
                const std::string& problem) {
        refused_.push_back("Sect=" + section + " Key=" + std::string(key) + ": " + value + " " +
                           problem);
    }
    std::vector<std::string>& refused_;
};

std::vector<std::string> linesOf(const Entries& entries) {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const auto& [k, v] : entries)
        lines.push_back(k + "=" + v);
    return lines;
}

// One more than the highest section number the file holds ("Pulse<i><suffix>").
int sectionsPresent(const profile::Snapshot& file, std::string_view suffix) {
    int present = 0;
    for (const auto& name : file.sectionNames()) {
        if (name.size() <= 5 + suffix.size() || !StartsWithNoCase(name, "Pulse") ||
            !EqualsNoCase(std::string_view(name).substr(name.size() - suffix.size()), suffix))
            continue;
        std::string_view digits = std::string_view(name).substr(5, name.size() - 5 - suffix.size());
        if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(),
                                              [](unsigned char c) { return std::isdigit(c); }))
            continue;
        present = std::max(present, StoredWhole(digits) + 1);
    }
    return std::min(present, kMaxTrainCount);
}

} // namespace

BoundedTrain BoundTrain(const profile::Snapshot& file, std::string_view suffix,
                        const TrainBounds& bounds) {
    BoundedTrain out;
    Checker check(out.refused);
    const std::string rootName = "PulseRoot" + std::string(suffix);
    Entries root = file.entries(rootName);
    const int count = static_cast<int>(
        check.whole(root, rootName, "qPls", 0, kMaxTrainCount, sectionsPresent(file, suffix), 0));
    check.whole(root, rootName, "tmUnitInd", 0, 3, 1, 1);
    check.whole(root, rootName, "voltInd", 0, 1, 0, 0);
    for (const char* key : {"Duration", "VpMn", "VpMx"})
        check.finite(root, rootName, key);

    long long links = 0;
    for (int i = 0; i < count; ++i) {
        const std::string name = strprintf("Pulse%d", i) + std::string(suffix);
        Entries section = file.entries(name);
        const int format =
            static_cast<int>(check.whole(section, name, "SectFmt", 0, 2, kNodeFormat, kNodeFormat));
        const std::string_view rowName = RowName(format);
        check.cells(section, name, rowName);
        const int limit = SectionRowLimit(section, rowName);
        const long long rows = check.whole(section, name, "qItm", 0, limit, limit, 0);
        links += format == kLinkFormat ? rows : format == kNodeFormat ? std::max(rows - 1, 0LL) : 0;
        if (links > bounds.maxLinks) {
            check.note(strprintf("The train holds more than %d links, the most the instrument "
                                 "takes: sections %d to %d are left out.",
                                 bounds.maxLinks, i + 1, count));
            break;
        }
        check.whole(section, name, "Repeat", 1, bounds.maxLoops, 1, 1);
        for (const char* key : {"Start", "LocDur", "mnV", "mxV"})
            check.finite(section, name, key);
        out.sections.push_back(linesOf(section));
    }

    const int kept = static_cast<int>(out.sections.size());
    if (std::string* stored = find(root, "qPls"); stored && kept < count)
        *stored = strprintf("%d", kept);
    check.whole(root, rootName, "activePls", 0, std::max(kept - 1, 0), 0, 0);
    out.root = linesOf(root);
    return out;
}

} // namespace tw
