#pragma once
// Writes pulse trains straight into the session's exchange file, the way the editor leaves them.
#include "app/FileUtil.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "pulse/TrainModel.h"

#include <algorithm>
#include <vector>

namespace tw::test {

struct BuiltRow {
    double level;
    double time; // format 0: the interval; format 1: the cumulative time (row 0 is the start)
};

struct BuiltSection {
    int format = kLinkFormat;
    int repeat = 1;
    std::vector<BuiltRow> rows;
};

inline void WriteTrain(const LaunchState& session, const std::vector<BuiltSection>& sections,
                       int timeUnit = 2, int channel = 0) {
    TrainEdit e(session, channel);
    double start = 0, duration = 0, low = 0, high = 0;
    bool anyLevel = false;
    for (int i = 0; i < static_cast<int>(sections.size()); ++i) {
        const BuiltSection& s = sections[static_cast<size_t>(i)];
        std::vector<std::string> lines{
            strprintf("SectFmt=%d", s.format), "qItm=" + EngNumberText(double(s.rows.size()), 9),
            "Start=" + TimeText(start), strprintf("Repeat=%d", s.repeat)};
        const char* name = RowName(s.format);
        double cumulative = 0, previous = 0, sLow = 0, sHigh = 0;
        for (int r = 0; r < static_cast<int>(s.rows.size()); ++r) {
            const BuiltRow& row = s.rows[static_cast<size_t>(r)];
            double interval;
            if (s.format == kLinkFormat) {
                interval = row.time;
                cumulative += interval;
            } else {
                cumulative = r == 0 ? 0 : row.time;
                interval = cumulative - previous;
                previous = cumulative;
            }
            sLow = r == 0 ? row.level : std::min(sLow, row.level);
            sHigh = r == 0 ? row.level : std::max(sHigh, row.level);
            lines.push_back(CellKey(name, r, 1) + "=" + strprintf("%.10g", row.level));
            lines.push_back(CellKey(name, r, 2) + "=" + TimeText(interval));
            lines.push_back(CellKey(name, r, 3) + "=" + TimeText(cumulative));
        }
        lines.push_back("LocDur=" + TimeText(cumulative));
        if (!s.rows.empty()) {
            lines.push_back(strprintf("mnV=%.3f", sLow));
            lines.push_back(strprintf("mxV=%.3f", sHigh));
            low = anyLevel ? std::min(low, sLow) : sLow;
            high = anyLevel ? std::max(high, sHigh) : sHigh;
            anyLevel = true;
        }
        e.replaceSection(i, lines);
        start += s.repeat * cumulative;
        duration += s.repeat * cumulative;
    }
    e.setRoot("qPls", strprintf("%d", static_cast<int>(sections.size())));
    e.setRoot("activePls", "0");
    e.setRoot("tmUnitInd", strprintf("%d", timeUnit));
    e.setRoot("voltInd", "0");
    e.setRoot("Duration", strprintf("%g", duration));
    e.setRoot("VpMn", strprintf("%g", low));
    e.setRoot("VpMx", strprintf("%g", high));
    e.commit();
}

// Channel 1's train built at `clock` instead of the clock worked out for it.
inline void ForceClock(const LaunchState& session, const char* clock) {
    WriteTrainRoot(session, 0, "frcSclk_toVal", "1");
    WriteTrainRoot(session, 0, "forceSclk", clock);
}

} // namespace tw::test
