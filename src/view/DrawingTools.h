#pragma once
#include "document/Samples.h"
#include "view/PlotMapping.h"

#include <cstddef>

namespace tw {

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// One straight segment between two mouse points: the points [first, last] it writes (never
// outside the wave), the line through them and the strip of the plot to repaint. A segment over
// fewer than two points changes nothing.
struct SegmentWrite {
    bool changed = false;
    long first = 0, last = 0;
    int stripLeft = 0, stripRight = 0;
    double slope = 0, intercept = 0;
};

SegmentWrite PlanSegment(const PlotMapping& mapping, const PlotRect& plot, std::size_t count,
                         PixelPoint a, PixelPoint b, bool sketch);
// Writes the planned segment's points (no clamping: the cursor is held inside the plot).
void WriteSegment(SampleSpan samples, const SegmentWrite& segment);

// The cursor is held inside the plot while a drawing mode runs.
PixelPoint HoldInPlot(PixelPoint p, const PlotRect& plot);

// Autoline (straight segments between clicks) and Sketch (freehand while the left button is
// held). Each segment is written through the samples' entry, naming its points; the view takes
// the undo copy on Start and commits once on End.
class DrawingTools {
  public:
    enum class Mode { Idle, Autoline, Sketch };

    Mode mode() const { return mode_; }
    bool active() const { return mode_ != Mode::Idle; }
    bool toolsAllowed() const { return mode_ == Mode::Idle; }
    bool hasVertex() const { return last_ != kNoVertex; }
    PixelPoint lastVertex() const { return last_; }
    PixelPoint bandEnd() const { return band_; }
    void setBandEnd(PixelPoint p) { band_ = p; }

    bool CanStartAutoline() const { return mode_ != Mode::Sketch; }
    bool CanStartSketch() const { return mode_ != Mode::Autoline; }
    void Start(Mode mode);
    // Right button: back to idle; true when a drawing mode ended (the view commits).
    bool End();

    // Events inside the plot (the caller holds the cursor there first).
    SegmentWrite LeftDown(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                          Samples& samples);
    SegmentWrite Move(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                      Samples& samples);
    // Sketch: the button is up again (the view repaints in full).
    bool LeftUp();

  private:
    static constexpr PixelPoint kNoVertex{-1, -1};
    static SegmentWrite Draw(PixelPoint a, PixelPoint b, const PlotMapping& mapping,
                             const PlotRect& plot, Samples& samples, bool sketch);
    Mode mode_ = Mode::Idle;
    bool buttonHeld_ = false;
    PixelPoint last_ = kNoVertex;
    PixelPoint band_ = kNoVertex;
};

} // namespace tw
