#include "view/DrawingTools.h"

#include <algorithm>
#include <utility>

namespace tw {

SegmentWrite PlanSegment(const PlotMapping& mapping, const PlotRect& plot, std::size_t count,
                         PixelPoint a, PixelPoint b, bool sketch) {
    SegmentWrite result;
    if (b.x < a.x)
        std::swap(a, b);
    const long ia = mapping.PixelToIndex(a.x);
    const long ib = mapping.PixelToIndex(b.x);
    const double va = static_cast<double>(mapping.PixelToValue(a.y));
    const double vb = static_cast<double>(mapping.PixelToValue(b.y));
    if (ib - ia + 1 < 2)
        return result;
    result.slope = (vb - va) / static_cast<double>(ib - ia);
    result.intercept = va - static_cast<double>(ia) * result.slope;
    const int s = sketch ? 1 : 0;
    result.changed = true;
    result.first = std::max(ia, 0L);
    result.last = std::min(ib, static_cast<long>(count) - 1);
    result.stripLeft = std::max(plot.left, a.x - 7 * s - 2);
    result.stripRight = std::min(plot.right, b.x + 7 * s + 2);
    return result;
}

void WriteSegment(SampleSpan samples, const SegmentWrite& segment) {
    std::visit(
        [&segment](auto all) {
            using Sample = typename decltype(all)::value_type;
            const long last = std::min(segment.last, static_cast<long>(all.size()) - 1);
            for (long i = segment.first; i <= last; ++i)
                all[static_cast<std::size_t>(i)] = ToStored<Sample>(static_cast<std::int32_t>(
                    static_cast<double>(i) * segment.slope + segment.intercept));
        },
        samples);
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

SegmentWrite DrawingTools::Draw(PixelPoint a, PixelPoint b, const PlotMapping& mapping,
                                const PlotRect& plot, Samples& samples, bool sketch) {
    SegmentWrite write = PlanSegment(mapping, plot, samples.size(), a, b, sketch);
    if (write.changed && write.first <= write.last)
        samples.Write(static_cast<std::size_t>(write.first), static_cast<std::size_t>(write.last),
                      [&write](SampleSpan points) { WriteSegment(points, write); });
    return write;
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
                                    Samples& samples) {
    SegmentWrite write;
    if (mode_ == Mode::Sketch) {
        last_ = p;
        buttonHeld_ = true;
    } else if (mode_ == Mode::Autoline) {
        if (hasVertex() && p.x != last_.x)
            write = Draw(last_, p, mapping, plot, samples, false);
        last_ = p;
        band_ = p;
    }
    return write;
}

SegmentWrite DrawingTools::Move(PixelPoint p, const PlotMapping& mapping, const PlotRect& plot,
                                Samples& samples) {
    SegmentWrite write;
    if (mode_ != Mode::Sketch || !buttonHeld_)
        return write;
    write = Draw(last_, p, mapping, plot, samples, true);
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
