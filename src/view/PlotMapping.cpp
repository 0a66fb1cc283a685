#include "view/PlotMapping.h"

#include <algorithm>
#include <cmath>

namespace tw {

int TruncPixel(double value) {
    if (!(value == value))
        return 0;
    return static_cast<int>(std::clamp(value, -1.0e9, 1.0e9));
}

void PlotMapping::SetMapping(const PlotRect& r) {
    if (r.height() == 0)
        return;
    const double xRange = xmax - xmin;
    if (xRange == 0)
        return;
    xScale = r.width() / xRange;
    xOffset = r.left - xScale * xmin;
    const double yRange = ymin - ymax;
    if (yRange == 0)
        return;
    yScale = r.height() / yRange;
    yOffset = r.bottom - yScale * ymin;
    if (fm) {
        y2Scale = (r.top - r.bottom) / 1.0e9;
        y2Offset = r.bottom;
    } else if (secondSpan != 0) {
        y2Scale = (r.top - r.bottom) / secondSpan;
        y2Offset = r.bottom - (-0.5 * secondSpan) * y2Scale;
    }
}

double PlotMapping::PixelToY(double py) const {
    if (fmAbstract)
        return (py - y2Offset) / y2Scale;
    return (py - yOffset) / yScale;
}

PlotLayout LayoutPlot(int clientWidth, int clientHeight, int sampleTextWidth, int unitTextWidth,
                      bool pulseComposer) {
    PlotLayout layout;
    PlotRect& r = layout.plot;
    r = {0, 0, clientWidth, clientHeight};
    const int h = clientHeight / 20;
    r.top += h + h / 2;
    r.bottom -= h;
    layout.handleSize = std::min(h / 2, 11);
    r.left += sampleTextWidth;
    r.right -= static_cast<int>(0.85 * unitTextWidth);
    if (pulseComposer) {
        r.top -= layout.handleSize;
        r.bottom -= layout.handleSize + 10;
    } else {
        r.bottom -= 21;
    }
    return layout;
}

} // namespace tw
