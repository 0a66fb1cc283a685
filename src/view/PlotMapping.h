#pragma once

namespace tw {

// A window rectangle in pixels; right and bottom are the far edges.
struct PlotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Truncates toward zero like the plot's pixel arithmetic, saturating far outside the window so
// that huge values never overflow an int.
int TruncPixel(double value);

// The one point-to-pixel mapping of the plot: every drawing of points into the plot (the
// waveform trace, the pulse train, the marker-bit strips, the drawing tools) goes through it.
struct PlotMapping {
    double xmin = 0, xmax = 0; // visible range in point indices
    double ymin = 0, ymax = 0; // visible range in sample units
    double xScale = 1, xOffset = 0;
    double yScale = 1, yOffset = 0;
    double y2Scale = 1, y2Offset = 0;
    bool fm = false;         // second mapping spans 0 .. 10^9
    bool fmAbstract = false; // pixel-to-y inverts the second mapping
    double secondSpan = 0;   // standard composer: span of the instrument's vertical range

    // Recomputes the scales for r. A zero-height rectangle or an empty range leaves the values
    // from that axis on untouched.
    void SetMapping(const PlotRect& r);

    int XToPixel(double x) const { return TruncPixel(x * xScale + xOffset); }
    int YToPixel(double y) const { return TruncPixel(y * yScale + yOffset); }
    int Y2ToPixel(double y) const { return TruncPixel(y * y2Scale + y2Offset); }
    double PixelToX(double px) const { return (px - xOffset) / xScale; }
    double PixelToY(double py) const;

    // A mouse point as the drawing tools read it: index and value rounded half away from the
    // pixel, truncated toward zero.
    // NOLINTBEGIN(bugprone-incorrect-roundings): the drawing tools' own rounding, kept as it is
    long PixelToIndex(int px) const { return static_cast<long>(PixelToX(px) + 0.5); }
    long PixelToValue(int py) const { return static_cast<long>(PixelToY(py) + 0.5); }
    // NOLINTEND(bugprone-incorrect-roundings)
};

// Plot rectangle and handle size for a client area.
struct PlotLayout {
    PlotRect plot;
    int handleSize = 0;
};

// sampleTextWidth: width of "23456" (or "2.2345678" in the FM composer) in the view's font;
// unitTextWidth: width of "Pts".
PlotLayout LayoutPlot(int clientWidth, int clientHeight, int sampleTextWidth, int unitTextWidth,
                      bool pulseComposer);

} // namespace tw
