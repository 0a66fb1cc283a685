#pragma once
#include "pulse/PulseTrace.h"
#include "view/PlotMapping.h"
#include "view/ScaleTexts.h"
#include "view/qt/PlotRenderer.h"
#include "view/qt/PlotView.h"

class QPainter;

namespace tw {

class PulseComposer;

// The pulse-train composer's view: its train fitted to the plot, the readout of the time and
// the train's level under the mouse; nothing to edit.
class PulseTrainView : public PlotView {
    Q_OBJECT
  public:
    explicit PulseTrainView(const PulseComposer& composer, QWidget* parent = nullptr);

  protected:
    int channel() const override;
    std::string titleName() const override { return "Untitled"; }
    void prepareMapping(const PlotRect& plot) override { map_.SetMapping(plot); }
    ScaleTexts drawPlot(QPainter& p, const PlotRect& plot, int textRight,
                        const PlotFace& face) override;
    std::string readoutAt(QPoint pos) const override;

  private:
    const PulseComposer& pulse_;
};

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
