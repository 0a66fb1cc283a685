#pragma once
#include "pulse/TrainModel.h"

#include <optional>
#include <vector>

namespace tw {

// A point of the drawn train: time in design units, level in volts.
struct TracePoint {
    double time = 0;
    double level = 0;
    bool operator==(const TracePoint&) const = default;
};

enum class TracePen { Plain, Emphasised, Repeat };

struct TraceLine {
    TracePen pen = TracePen::Plain;
    int section = 0;
    std::vector<TracePoint> points;
};

// The editor's selected row: a level line across a DC interval, or a node to ring.
struct TraceMarker {
    bool ring = false;
    TracePoint from, to; // a ring is drawn around `from`
};

struct TrainTrace {
    std::vector<TraceLine> lines; // in drawing order
    std::optional<TraceMarker> marker;
};

struct TraceRequest {
    int viewMode = 0; // 1 draws the active section alone
    bool editorVisible = false;
    int selectedRow = -1;
};

// Everything the pulse view draws inside the plot, in data coordinates: consecutive sections
// joined, repeats as shifted copies, the active section emphasised while the editor is shown.
TrainTrace TracePulseTrain(const TrainData& train, const TraceRequest& request);

} // namespace tw
