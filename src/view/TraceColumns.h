#pragma once
#include "document/MarkerBitMask.h"
#include "document/SampleSpan.h"
#include "document/Samples.h"
#include "view/PlotMapping.h"

#include <cstdint>
#include <vector>

namespace tw {

// One sample per plot column, so drawing costs the plot's width whatever the wave's length.
struct TraceColumns {
    std::vector<int> x;      // pixel column
    std::vector<long> index; // the sample shown there
    std::vector<int> y;      // its row, clamped into the plot (not in peak columns)
    // Peak columns only: the rows of the greatest and the least point each column spans.
    std::vector<int> top, bottom;
};

// Stops at the first column whose index is past the wave. useSecond: FM abstract mode.
TraceColumns ComputeTraceColumns(const PlotMapping& mapping, const PlotRect& plot,
                                 SampleView samples, double wavelength, const MarkerBitMask& mask,
                                 bool useSecond = false);

// The same columns, each also spanning every point from its own sample through the next
// column's (the last one through the visible range's end): no point is left out at any zoom,
// and each span meets the next. The spans come from the points' peak summary, so the cost stays
// that of the plot's width.
TraceColumns ComputePeakColumns(const PlotMapping& mapping, const PlotRect& plot,
                                const Samples& samples, const MarkerBitMask& mask,
                                bool useSecond = false);

} // namespace tw
