#pragma once
#include <cstdint>

namespace tw {

// Marker bits carried inside 16-bit samples, removed before a sample is plotted. The view draws
// the points through it, and the peak summary pools the points as it shows them.
struct MarkerBitMask {
    bool active = false;
    int bit0 = 12, bit1 = 13;
    long offset = 0; // -trunc(vertical minimum): moves the codes to 0 .. 65535

    std::int32_t Strip(std::int32_t v) const {
        const long markers = (1L << bit0) + (1L << bit1);
        return static_cast<std::int32_t>(((v + offset) & ~markers & 0xFFFF) - offset);
    }
    // The value as plotted: stripped while the mask is active.
    std::int32_t Shown(std::int32_t v) const { return active ? Strip(v) : v; }
    bool IsSet(std::int32_t v, int bit) const { return ((v + offset) >> bit) & 1; }
    bool operator==(const MarkerBitMask&) const = default;
};

} // namespace tw
