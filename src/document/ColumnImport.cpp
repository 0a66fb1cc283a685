#include "document/ColumnImport.h"

#include "app/FileUtil.h"
#include "document/PointMapping.h"
#include "document/TextWave.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tw {

std::size_t ColumnHeaderLength(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::string_view rest = text.substr(start);
        if (StartsWithNoCase(rest, "time") || rest.starts_with("\"Time")) {
            auto eol = rest.find('\n');
            return eol == std::string_view::npos ? text.size() : start + eol + 1;
        }
        auto eol = rest.find('\n');
        if (eol == std::string_view::npos)
            break;
        start += eol + 1;
    }
    return 0;
}

namespace {

bool StartsNumber(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+';
}

} // namespace

bool ReadColumnValues(std::string_view text, int askDim, std::vector<double>& values) {
    const char* p = text.data();
    const char* last = p + text.size();
    const int perRow = askDim + 1;
    for (;;) {
        double value = 0;
        for (int i = 0; i < perRow; ++i) {
            for (;;) {
                while (p != last && !StartsNumber(*p))
                    ++p;
                if (p == last)
                    return true; // an unfinished last row is dropped
                const char* end = ScanNumber(p, last, value);
                if (end != p) {
                    p = end;
                    break;
                }
                // A sign that starts no number, or a number too large for a double.
                if (std::isdigit(static_cast<unsigned char>(*p)))
                    return false;
                ++p;
            }
        }
        if (values.size() == kMaxWavePoints)
            return false;
        values.push_back(value);
    }
}

LinearMap ColumnStretch(double minimum, double maximum, double vMin, double vMax) {
    const double a = std::max(std::fabs(minimum), std::fabs(maximum));
    if (a == 0)
        return {1e20, vMin};
    const double scale = (vMax - vMin) / (2 * a);
    return {scale, vMin + scale * a};
}

ImportResult ImportColumns(std::string_view text, const ImportContext& ctx) {
    ImportResult result;
    std::vector<double> values;
    values.reserve(std::min<std::size_t>(text.size() / 8 + 1, kMaxWavePoints));
    if (!ReadColumnValues(text.substr(ColumnHeaderLength(text)), ctx.askDim, values) ||
        values.empty())
        return ImportFailed();
    double minimum = 1e9;
    double maximum = -1e9;
    for (double v : values) {
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    const LinearMap map = ctx.fullScale ? FullScaleMap(ctx.vMin, ctx.vMax)
                          : ctx.stretch ? ColumnStretch(minimum, maximum, ctx.vMin, ctx.vMax)
                                        : LinearMap{};
    result.points.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        double v = values[i];
        // Fractions of full scale end at full scale.
        if (ctx.fullScale && std::fabs(v) > 1) {
            v = std::clamp(v, -1.0, 1.0);
            ++result.clipped;
        }
        if (!WholePoint(v * map.scale + map.offset + 0.5, ctx.layout, result.points[i]))
            return ImportFailed();
    }
    result.ok = true;
    return result;
}

} // namespace tw
