#include "view/DrawingTools.h"

#include <algorithm>
#include <utility>

namespace tw {

SegmentWrite WriteSegment(const PlotMapping& mapping, const PlotRect& plot,
                          std::span<std::int32_t> samples, PixelPoint a, PixelPoint b,
                          bool sketch) {
    SegmentWrite result;
    if (b.x < a.x)
        std::swap(a, b);
    const long ia = mapping.PixelToIndex(a.x);
    const long ib = mapping.PixelToIndex(b.x);
    const double va = static_cast<double>(mapping.PixelToValue(a.y));
    const double vb = static_cast<double>(mapping.PixelToValue(b.y));
    if (ib - ia + 1 < 2)
        return result;
    const double slope = (vb - va) / static_cast<double>(ib - ia);
    const double intercept = va - static_cast<double>(ia) * slope;
    const long size = static_cast<long>(samples.size());
    const long first = std::max(ia, 0L);
    const long last = std::min(ib, size - 1);
    for (long i = first; i <= last; ++i)
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(static_cast<double>(i) * slope + intercept);
    const int s = sketch ? 1 : 0;
    result.changed = true;
    result.first = first;
    result.last = last;
    result.stripLeft = std::max(plot.left, a.x - 7 * s - 2);
    result.stripRight = std::min(plot.right, b.x + 7 * s + 2);
    return result;
}

PixelPoint HoldInPlot(PixelPoint p, const PlotRect& plot) {
    return {std::clamp(p.x, plot.left, plot.right), std::clamp(p.y, plot.top, plot.bottom)};
}

void DrawingTools::Start(Mode mode) {
    mode_ = mode;
    buttonHeld_ = false;
    last_ = kNoVertex;
    band_ = kNoVertex;
}

bool DrawingTools::End() {
    if (mode_ == Mode::Idle)
        return false;
    mode_ = Mode::Idle;
    buttonHeld_ = false;
    last_ = kNoVertex;
    band_ = kNoVertex;
    return true;
}

SegmentWrite DrawingTools::LeftDown(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                                    std::span<std::int32_t> samples) {
    SegmentWrite write;
    if (mode_ == Mode::Sketch) {
        last_ = p;
        buttonHeld_ = true;
    } else if (mode_ == Mode::Autoline) {
        if (hasVertex() && p.x != last_.x)
            write = WriteSegment(mapping, plot, samples, last_, p, false);
        last_ = p;
        band_ = p;
    }
    return write;
}

SegmentWrite DrawingTools::Move(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                                std::span<std::int32_t> samples) {
    SegmentWrite write;
    if (mode_ != Mode::Sketch || !buttonHeld_)
        return write;
    write = WriteSegment(mapping, plot, samples, last_, p, true);
    // Moves of less than one point accumulate until the cursor reaches the next point.
    if (write.changed)
        last_ = p;
    return write;
}

bool DrawingTools::LeftUp() {
    if (mode_ != Mode::Sketch || !buttonHeld_)
        return false;
    buttonHeld_ = false;
    return true;
}

} // namespace tw
