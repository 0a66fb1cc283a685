#pragma once
#include "pulse/PulseTrace.h"
#include "view/PlotMapping.h"
#include "view/ScaleTexts.h"
#include "view/qt/PlotRenderer.h"

class QPainter;

namespace tw {

// The pulse-train composer's plot: the mapping fitted to the train (its time span along x, its
// levels padded by a tenth of their span along y), the waveform plot's frame, grid and scale
// texts drawn by the plot renderer, then the train clipped to the plot. Returns the scale texts.
ScaleTexts DrawPulsePlot(QPainter& painter, PlotMapping& mapping, const PlotRect& plot,
                         const TrainTrace& trace, const PlotUnits& units, int textRight,
                         const PlotFace& face = PlotFace::Screen());

// Draws the pulse train into the plot through the waveform plot's mapping (time along x, level
// along y): plain sections, the emphasised active section, repeat
// copies and the editor's selected row, with the pens the view uses on screen or on paper.
void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    const PlotFace& face = PlotFace::Screen());

} // namespace tw
