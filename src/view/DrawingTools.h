#pragma once
#include "view/PlotMapping.h"

#include <cstdint>
#include <span>

namespace tw {

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// What writing one segment changed: the points [first, last] and the strip of the plot to
// repaint.
struct SegmentWrite {
    bool changed = false;
    long first = 0, last = 0;
    int stripLeft = 0, stripRight = 0;
};

// Writes the straight segment between two mouse points into the samples; fewer than two points
// write nothing. Indices outside the samples are never written.
SegmentWrite WriteSegment(const PlotMapping& mapping, const PlotRect& plot,
                          std::span<std::int32_t> samples, PixelPoint a, PixelPoint b, bool sketch);

// The cursor is held inside the plot while a drawing mode runs.
PixelPoint HoldInPlot(PixelPoint p, const PlotRect& plot);

// Autoline (straight segments between clicks) and Sketch (freehand while the left button is
// held). The view takes the undo copy on Start and commits on End.
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
                          std::span<std::int32_t> samples);
    SegmentWrite Move(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                      std::span<std::int32_t> samples);
    // Sketch: the button is up again (the view repaints in full).
    bool LeftUp();

  private:
    static constexpr PixelPoint kNoVertex{-1, -1};
    Mode mode_ = Mode::Idle;
    bool buttonHeld_ = false;
    PixelPoint last_ = kNoVertex;
    PixelPoint band_ = kNoVertex;
};

} // namespace tw
