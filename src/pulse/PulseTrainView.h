#pragma once
#include "pulse/PulseTrace.h"

#include <QPoint>

class QPainter;

namespace tw {

// The plot's mapping from data (time in design units, level in volts) to window points; the
// waveform plot provides it.
struct PlotMapping {
    virtual QPoint toPixel(double time, double level) const = 0;
    virtual ~PlotMapping() = default;
};

// Draws the pulse train into the plot: plain sections, the emphasised active section, repeat
// copies and the editor's selected row, with the pens the view uses on screen or on paper.
void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    bool printing);

} // namespace tw
