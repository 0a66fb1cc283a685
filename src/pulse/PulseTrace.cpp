#include "pulse/PulseTrace.h"

#include "pulse/PulseOptions.h"

#include <algorithm>

namespace tw {

namespace {

// Repeats beyond this many points in the whole train are not drawn copy by copy: the trace
// jumps to the end of the last copy, which is all a plot can show of so many copies anyway.
constexpr size_t kMaxRepeatPoints = 200000;

std::vector<TracePoint> shape(const TrainSectionData& s, double tf, int markRow,
                              std::optional<TraceMarker>* marker) {
    std::vector<TracePoint> pts;
    for (int r = 0; r < static_cast<int>(s.rows.size()); ++r) {
        const TrainRow& row = s.rows[static_cast<size_t>(r)];
        const auto& time = s.format == kLinkFormat ? row.interval : row.cumulative;
        if (!row.level || !time || *time < 0 || (r > 0 && *time == 0))
            continue;
        double level = *row.level;
        if (s.format == kLinkFormat) {
            if (pts.empty())
                pts.push_back({s.start * tf, level});
            TracePoint last = pts.back();
            if (level != last.level)
                pts.push_back({last.time, level});
            pts.push_back({last.time + *time * tf, level});
            if (r == markRow && marker)
                *marker = TraceMarker{false, {last.time, level}, pts.back()};
        } else if (s.format == kNodeFormat) {
            pts.push_back({(s.start + *time) * tf, level});
            if (r == markRow && marker)
                *marker = TraceMarker{true, pts.back(), pts.back()};
        }
    }
    return pts;
}

} // namespace

TrainTrace TracePulseTrain(const TrainData& train, const TraceRequest& request) {
    TrainTrace trace;
    double tf = UnitFactor(train.timeUnit);
    int count = static_cast<int>(train.sections.size());
    int first = request.viewMode == 1 ? train.activeSection : 0;
    int last = request.viewMode == 1 ? train.activeSection : count - 1;
    std::optional<TracePoint> join;
    size_t repeatPoints = 0;
    for (int i = std::max(first, 0); i <= last && i < count; ++i) {
        const TrainSectionData& s = train.sections[static_cast<size_t>(i)];
        bool emphasised = i == train.activeSection && request.editorVisible;
        auto pts = shape(s, tf, emphasised ? request.selectedRow : -1,
                         emphasised ? &trace.marker : nullptr);
        if (pts.empty())
            continue;
        TraceLine line{emphasised ? TracePen::Emphasised : TracePen::Plain, i, {}};
        bool joined = request.viewMode != 1 && i > 0 && join &&
                      !(i == 1 && train.sections[0].localDuration == 0);
        if (joined)
            line.points.push_back(*join);
        line.points.insert(line.points.end(), pts.begin(), pts.end());
        trace.lines.push_back(std::move(line));
        join = pts.back();
        if (s.repeat < 2)
            continue;
        TraceLine copies{TracePen::Repeat, i, {*join}};
        double shift = s.localDuration * tf;
        for (int k = 1; k < s.repeat && repeatPoints < kMaxRepeatPoints;
             ++k, repeatPoints += pts.size())
            for (const auto& p : pts)
                copies.points.push_back({p.time + k * shift, p.level});
        TracePoint end{pts.back().time + (s.repeat - 1) * shift, pts.back().level};
        if (!(copies.points.back() == end))
            copies.points.push_back(end);
        join = end;
        trace.lines.push_back(std::move(copies));
    }
    return trace;
}

} // namespace tw
