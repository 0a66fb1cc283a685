#include "view/TraceColumns.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

// The columns and the point each shows; its row too when rows is set. The peak columns leave the
// rows out: reading one point per column is a cache miss each in a long wave.
template <class Sample>
TraceColumns Columns(const PlotMapping& mapping, const PlotRect& plot,
                     std::span<const Sample> samples, double wavelength, const MarkerBitMask& mask,
                     bool useSecond, bool rows) {
    TraceColumns columns;
    if (samples.empty())
        return columns;
    const int width = plot.width();
    columns.x.reserve(std::max(width, 0));
    columns.index.reserve(std::max(width, 0));
    if (rows)
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
        columns.x.push_back(plot.left + j);
        columns.index.push_back(index);
        if (!rows)
            continue;
        const std::int32_t v = mask.Shown(samples[static_cast<std::size_t>(index)]);
        const int py = useSecond ? mapping.Y2ToPixel(v) : mapping.YToPixel(v);
        columns.y.push_back(std::clamp(py, plot.top, plot.bottom));
    }
    return columns;
}

} // namespace

TraceColumns ComputeTraceColumns(const PlotMapping& mapping, const PlotRect& plot,
                                 SampleView samples, double wavelength, const MarkerBitMask& mask,
                                 bool useSecond) {
    return std::visit(
        [&](auto s) { return Columns(mapping, plot, s, wavelength, mask, useSecond, true); },
        samples);
}

TraceColumns ComputePeakColumns(const PlotMapping& mapping, const PlotRect& plot,
                                const Samples& samples, const MarkerBitMask& mask, bool useSecond) {
    const SampleView points = samples.view();
    TraceColumns columns = std::visit(
        [&](auto s) {
            return Columns(mapping, plot, s, static_cast<double>(s.size()), mask, useSecond, false);
        },
        points);
    const std::size_t n = columns.index.size();
    if (n == 0)
        return columns;
    const PeakSummary& summary = samples.peaks(mask);
    const long end = std::min(static_cast<long>(std::trunc(mapping.xmax)),
                              static_cast<long>(samples.size()) - 1);
    auto row = [&](std::int32_t v) {
        return std::clamp(useSecond ? mapping.Y2ToPixel(v) : mapping.YToPixel(v), plot.top,
                          plot.bottom);
    };
    // Rows grow downward as values grow: negated, so that a pool is opened only where its points
    // could reach a row beyond those found.
    const bool downward = (useSecond ? mapping.y2Scale : mapping.yScale) < 0;
    const PeakSummary::Quantize rows = [&](std::int32_t v) -> long long {
        return downward ? -row(v) : row(v);
    };
    columns.top.resize(n);
    columns.bottom.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        const long first = columns.index[j];
        const long last = std::max(first, j + 1 < n ? columns.index[j + 1] : end);
        const Peak peak = summary.Range(points, static_cast<std::size_t>(first),
                                        static_cast<std::size_t>(last), rows);
        const int a = row(peak.min), b = row(peak.max);
        columns.top[j] = std::min(a, b);
        columns.bottom[j] = std::max(a, b);
    }
    return columns;
}

} // namespace tw
