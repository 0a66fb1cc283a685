#include "document/PointMapping.h"

#include "app/MessageIds.h"
#include "app/StringTable.h"

#include <algorithm>
#include <cmath>

namespace tw {

LinearMap FullScaleMap(double vMin, double vMax) {
    const double scale = (vMax - vMin) / 2;
    return {scale, vMin + scale};
}

LinearMap IntegerFullScaleMap(int bits, double vMin, double vMax) {
    const double fullScale = std::ldexp(1.0, bits - 1);
    const double scale = (vMax - vMin) / (2 * fullScale - 1);
    return {scale, vMin + scale * fullScale};
}

LinearMap ColumnValueMap(double minimum, double maximum, const ImportContext& ctx) {
    if (ctx.fullScale)
        return FullScaleMap(ctx.vMin, ctx.vMax);
    return ctx.stretch ? ColumnStretch(minimum, maximum, ctx.vMin, ctx.vMax) : LinearMap{};
}

void ValueExtremes::add(std::span<const double> values) {
    for (double v : values) {
        if (std::isinf(v))
            continue;
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
}

LinearMap ColumnValueMap(std::span<const double> values, const ImportContext& ctx) {
    ValueExtremes extremes;
    extremes.add(values);
    return ColumnValueMap(extremes.minimum, extremes.maximum, ctx);
}

ImportResult MapIntoRange(std::span<const double> values, LinearMap map, const ImportContext& ctx) {
    // The code range, narrowed to what the layout's points can hold.
    const bool narrow = ctx.layout == PointLayout::Int16;
    const double lo = std::ceil(std::max(ctx.vMin, narrow ? -32768.0 : -2147483648.0));
    const double hi = std::floor(std::min(ctx.vMax, narrow ? 32767.0 : 2147483647.0));
    if (!(lo <= hi))
        return ImportFailed();
    ImportResult result;
    result.points.reserve(values.size());
    for (double v : values) {
        if (std::isnan(v))
            return ImportRefused("The file holds a value that is not a number.");
        // An infinity ends at its own end of the range, whatever the map would make of it.
        double point =
            std::isinf(v) ? (v > 0 ? hi : lo) : std::floor(v * map.scale + map.offset + 0.5);
        if (std::isinf(v) || std::isnan(point) || point < lo || point > hi) {
            point = std::isnan(point) ? lo : std::clamp(point, lo, hi);
            ++result.clipped;
        }
        result.points.push_back(static_cast<std::int32_t>(point));
    }
    result.ok = !result.points.empty();
    if (!result.ok)
        return ImportFailed();
    return result;
}

std::string ClippedMessage(std::size_t clipped) {
    return std::to_string(clipped) +
           " points lay outside the instrument's code range and were clipped to it.";
}

ImportResult ImportRefused(const std::string& why) {
    ImportResult result = ImportFailed();
    result.error = std::string(StringText(kMsgCannotConvert)) + "\n" + why;
    return result;
}

} // namespace tw
