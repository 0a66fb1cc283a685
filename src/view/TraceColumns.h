#pragma once
#include "document/SampleSpan.h"
#include "view/PlotMapping.h"

#include <cstdint>
#include <vector>

namespace tw {

// Marker bits carried inside 16-bit samples, removed before a sample is plotted.
struct MarkerBitMask {
    bool active = false;
    int bit0 = 12, bit1 = 13;
    long offset = 0; // -trunc(vertical minimum): moves the codes to 0 .. 65535
    std::int32_t Strip(std::int32_t v) const;
    bool IsSet(std::int32_t v, int bit) const { return ((v + offset) >> bit) & 1; }
};

// One sample per plot column, so drawing costs the plot's width whatever the wave's length.
struct TraceColumns {
    std::vector<int> x;      // pixel column
    std::vector<long> index; // the sample shown there
    std::vector<int> y;      // its row, clamped into the plot
};

// Stops at the first column whose index is past the wave. useSecond: FM abstract mode.
TraceColumns ComputeTraceColumns(const PlotMapping& mapping, const PlotRect& plot,
                                 SampleView samples, double wavelength, const MarkerBitMask& mask,
                                 bool useSecond = false);

} // namespace tw
