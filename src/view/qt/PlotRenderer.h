#pragma once
#include "auxiliary/AdditionalBits.h"
#include "document/MarkerBitMask.h"
#include "document/Samples.h"
#include "view/PlotMapping.h"
#include "view/ScaleTexts.h"

#include <QColor>
#include <QFont>

#include <cstdint>
#include <optional>
#include <span>

class QPainter;

namespace tw {

// The plot's face: "Arial" of a height in pixels, normal weight.
QFont ArialFont(int pixels);
QRect ToQRect(const PlotRect& r);

// How a plot looks. On the screen sizes are pixels; on paper they are points and, unless the
// user chose the screen's colours, lines and texts are black on white.
struct PlotFace {
    bool paper = false;
    bool screenColours = true;
    int scaleText = 14, midText = 11;                             // font heights
    double thin = 1, frame = 2, cross = 2, trace = 1, square = 1; // pen widths
    QColor plot{Qt::black}, ink{40, 44, 52}, grid{60, 60, 60}, traceColour{255, 255, 240};

    static PlotFace Screen() { return {}; }
    static PlotFace Paper(bool screenColours);
};

// Draws the plot through the view's mapping: the frame with its grid and scale texts, the trace,
// the FM marker dots, the marker-bit strips and the shading outside the anchors. The screen, the
// printed page, the pulse view and the waveform map draw through it; the view itself keeps only
// the interaction (anchors, handles, tools, entry boxes, the map window).
class PlotRenderer {
  public:
    PlotRenderer(QPainter& painter, const PlotMapping& mapping, const PlotRect& plot,
                 const PlotFace& face = PlotFace::Screen());

    // The border, the black plot, the centre cross, the ticks, the scale texts (their box
    // reaches to textRight) and the grid. A pulse-train plot without a train says so instead
    // of its scale texts. Returns the texts written, empty when there were none.
    ScaleTexts drawFrame(const PlotUnits& units, int textRight, bool pulseTrain);
    // One sample per column, joined; with peaks also the span of all points each column covers.
    // mask: what the plot leaves out of each point; FM abstract mode goes through the second
    // mapping.
    // colour: the face's trace colour when not given.
    void drawTrace(const Samples& samples, double wavelength, const MarkerBitMask& mask, bool peaks,
                   std::optional<QColor> colour = {});
    void drawFmMarkers(std::span<const std::int32_t> markers, std::span<const std::int32_t> points);
    // The two marker bits of the points, each a strip along the plot's bottom where it is set.
    void drawMarkerStrips(const Samples& samples, double wavelength, const MarkerBitSettings& bits,
                          long offset);
    // Darkens (XOR) the plot left of the left anchor and right of the right one.
    void drawShading(long left, long right);

  private:
    ScaleTexts drawScaleTexts(const PlotUnits& units, int textRight, bool pulseTrain);

    QPainter& p_;
    const PlotMapping& map_;
    PlotRect r_;
    PlotFace face_;
};

} // namespace tw
