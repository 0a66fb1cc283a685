#include "view/PlotReadout.h"

#include "app/NumberText.h"

#include <cmath>

namespace tw {

namespace {

// The design time unit ("s", "ms", "us", "ns", "ps") as its power of ten.
double SecondsPerUnit(const std::string& unit) {
    const std::string prefixes = "munp";
    if (unit.size() == 2 && unit[1] == 's')
        if (const std::size_t at = prefixes.find(unit[0]); at != std::string::npos)
            return std::pow(10.0, -3.0 * static_cast<double>(at + 1));
    return 1;
}

} // namespace

std::optional<long> PointUnderColumn(const PlotMapping& mapping, const PlotRect& plot, int px,
                                     double wavelength) {
    if (px < plot.left || px >= plot.right || !(mapping.xScale > 0))
        return std::nullopt;
    double x = mapping.PixelToX(px);
    if (px == plot.right - 1)
        x += 0.5;
    if (!(x >= 0) || !(x < wavelength))
        return std::nullopt;
    return static_cast<long>(x);
}

std::string PointReadout(long index, double value, ReadoutValue kind) {
    std::string text = "Point " + std::to_string(index) + "  ";
    switch (kind) {
    case ReadoutValue::Code:
        return text + "Code " + std::to_string(std::llround(value));
    case ReadoutValue::Hertz:
        return text + PrefixedNumberText(value, "Hz", 6);
    case ReadoutValue::Scale:
        break;
    }
    return text + PrefixedNumberText(value, "", 6);
}

std::string MarkedReadout(long left, long right) {
    return "Marked " + std::to_string(left) + ".." + std::to_string(right) + " (" +
           std::to_string(right - left + 1) + " points)";
}

std::optional<double> TrainLevelAt(const TrainTrace& trace, double time) {
    std::optional<double> level;
    for (const TraceLine& line : trace.lines)
        for (std::size_t i = 1; i < line.points.size(); ++i) {
            const TracePoint& a = line.points[i - 1];
            const TracePoint& b = line.points[i];
            if (time < a.time || time > b.time)
                continue;
            if (b.time == a.time)
                level = b.level;
            else
                level = a.level + (b.level - a.level) * (time - a.time) / (b.time - a.time);
        }
    return level;
}

std::string TrainReadout(double time, const std::string& timeUnit, std::optional<double> volts) {
    std::string text = "Time " + PrefixedNumberText(time * SecondsPerUnit(timeUnit), "s");
    if (volts)
        text += "  Level " + PrefixedNumberText(*volts, "V");
    return text;
}

} // namespace tw
