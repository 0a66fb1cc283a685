#include "view/TraceColumns.h"

#include <algorithm>

namespace tw {

std::int32_t MarkerBitMask::Strip(std::int32_t v) const {
    const long markers = (1L << bit0) + (1L << bit1);
    return static_cast<std::int32_t>(((v + offset) & ~markers & 0xFFFF) - offset);
}

namespace {

template <class Sample>
TraceColumns Columns(const PlotMapping& mapping, const PlotRect& plot,
                     std::span<const Sample> samples, double wavelength, const MarkerBitMask& mask,
                     bool useSecond) {
    TraceColumns columns;
    if (samples.empty())
        return columns;
    const int width = plot.width();
    columns.x.reserve(std::max(width, 0));
    columns.index.reserve(std::max(width, 0));
    columns.y.reserve(std::max(width, 0));
    const double last = std::min<double>(wavelength, static_cast<double>(samples.size()));
    for (int j = 0; j < width; ++j) {
        double x = mapping.PixelToX(plot.left + j);
        if (j == width - 1)
            x += 0.5;
        const long index = static_cast<long>(x);
        if (index >= last)
            break;
        if (index < 0)
            continue;
        std::int32_t v = samples[static_cast<std::size_t>(index)];
        if (mask.active)
            v = mask.Strip(v);
        const int py = useSecond ? mapping.Y2ToPixel(v) : mapping.YToPixel(v);
        columns.x.push_back(plot.left + j);
        columns.index.push_back(index);
        columns.y.push_back(std::clamp(py, plot.top, plot.bottom));
    }
    return columns;
}

} // namespace

TraceColumns ComputeTraceColumns(const PlotMapping& mapping, const PlotRect& plot,
                                 SampleView samples, double wavelength, const MarkerBitMask& mask,
                                 bool useSecond) {
    return std::visit(
        [&](auto s) { return Columns(mapping, plot, s, wavelength, mask, useSecond); }, samples);
}

} // namespace tw
