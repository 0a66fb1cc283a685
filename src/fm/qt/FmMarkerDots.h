#pragma once
#include <cstdint>
#include <functional>
#include <span>

class QPainter;

namespace tw {

// The view's FM marker points: solid green dots 5 pixels wide over the trace. xToPixel maps a
// point index, yToPixel a sample value (the view's own mappings).
void DrawFmMarkerDots(QPainter& painter, std::span<const std::int32_t> markers,
                      std::span<const std::int32_t> points,
                      const std::function<double(double)>& xToPixel,
                      const std::function<double(double)>& yToPixel);

} // namespace tw
