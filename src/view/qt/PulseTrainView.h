#pragma once
#include "pulse/PulseTrace.h"
#include "view/PlotMapping.h"

class QPainter;

namespace tw {

// Draws the pulse train into the plot through the waveform plot's mapping (time along x, level
// along y): plain sections, the emphasised active section, repeat
// copies and the editor's selected row, with the pens the view uses on screen or on paper.
void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    bool printing);

} // namespace tw
