#pragma once
// The imports as they read a whole file held in memory, before they read it a piece at a time:
// the reference the streaming imports are checked against, byte for byte.
#include "document/ColumnImport.h"
#include "document/LeCroyImport.h"
#include "document/TextWave.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tw::reference {

inline ImportResult Accepted(std::vector<std::int32_t> points) {
    ImportResult result;
    result.ok = !points.empty();
    if (result.ok)
        result.points = std::move(points);
    else
        result = ImportFailed();
    return result;
}

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline ImportResult Ascii(std::string_view text, PointLayout layout) {
    std::vector<std::int32_t> points;
    const char* p = text.data();
    const char* last = p + text.size();
    for (;;) {
        while (p != last && IsBlank(*p))
            ++p;
        if (p == last)
            break;
        double value = 0;
        const char* end = ScanNumber(p, last, value);
        std::int32_t point = 0;
        if (end == p || (end != last && !IsBlank(*end)) || !WholePoint(value, layout, point))
            return ImportFailed();
        points.push_back(point);
        p = end;
    }
    return Accepted(std::move(points));
}

inline std::size_t HeaderLength(std::string_view text) {
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

inline bool StartsNumber(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+';
}

inline bool RowValues(std::string_view text, int askDim, std::vector<double>& values) {
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
                    return true;
                const char* end = ScanNumber(p, last, value);
                if (end != p) {
                    p = end;
                    break;
                }
                if (std::isdigit(static_cast<unsigned char>(*p)))
                    return false;
                ++p;
            }
        }
        values.push_back(value);
    }
}

inline ImportResult Columns(std::string_view text, const ImportContext& ctx) {
    std::vector<double> values;
    if (!RowValues(text.substr(HeaderLength(text)), ctx.askDim, values) || values.empty())
        return ImportFailed();
    double minimum = 1e9;
    double maximum = -1e9;
    for (double v : values) {
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    const LinearMap map =
        ctx.stretch ? ColumnStretch(minimum, maximum, ctx.vMin, ctx.vMax) : LinearMap{};
    std::vector<std::int32_t> points(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!WholePoint(values[i] * map.scale + map.offset + 0.5, ctx.layout, points[i]))
            return ImportFailed();
    return Accepted(std::move(points));
}

inline std::int64_t Le32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

inline ImportResult LeCroy(std::string_view bytes, const ImportContext& ctx) {
    std::string_view head = bytes.substr(0, 400);
    std::size_t d = 0;
    while (d + 8 <= head.size() && !StartsWithNoCase(head.substr(d), "WAVEDESC"))
        ++d;
    if (d + 8 > head.size() || bytes.size() < d + 48)
        return ImportFailed();
    const auto* q = reinterpret_cast<const unsigned char*>(bytes.data()) + d;
    LeCroyDescriptor desc;
    desc.sampleType = q[32] | q[33] << 8;
    desc.byteOrder = q[34] | q[35] << 8;
    const std::int64_t lengths[] = {Le32(q + 36), Le32(q + 40), Le32(q + 44)};
    if (lengths[0] < 0 || lengths[1] < 0 || lengths[2] < 0)
        return ImportFailed();
    desc.dataStart = static_cast<std::int64_t>(d) + lengths[0] + lengths[1] + lengths[2];
    if (desc.dataStart > static_cast<std::int64_t>(bytes.size()))
        return ImportFailed();
    std::string_view data = bytes.substr(static_cast<std::size_t>(desc.dataStart));
    if (data.size() < 2)
        return ImportFailed();
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::vector<std::int32_t> values;
    if (desc.sampleType == 1) {
        values.resize(data.size() / 2);
        for (std::size_t i = 0; i < values.size(); ++i, p += 2) {
            auto word = desc.byteOrder == 0 ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                                            : static_cast<std::uint16_t>(p[0] | p[1] << 8);
            values[i] = static_cast<std::int16_t>(word);
        }
    } else {
        values.resize(data.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            auto word = static_cast<std::uint16_t>(static_cast<std::int8_t>(p[i]) * 256);
            if (desc.byteOrder == 0)
                word = static_cast<std::uint16_t>(word << 8 | word >> 8);
            values[i] = static_cast<std::int16_t>(word);
        }
    }
    double minimum = 1000000000;
    double maximum = -1000000000;
    for (std::int32_t v : values) {
        minimum = std::min<double>(minimum, v);
        maximum = std::max<double>(maximum, v);
    }
    double scale = 1;
    double offset = 0;
    if (ctx.stretch) {
        scale = maximum == minimum ? 0 : (ctx.vMax - ctx.vMin) / (maximum - minimum);
        offset = ctx.vMin - minimum * scale;
    }
    std::vector<std::int32_t> points(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!WholePoint(values[i] * scale + offset, ctx.layout, points[i]))
            return ImportFailed();
    return Accepted(std::move(points));
}

inline ImportResult Native(std::string_view bytes, const ImportContext& ctx, bool riffHeader) {
    if (riffHeader && StartsWithNoCase(bytes, "RIFF"))
        bytes.remove_prefix(std::min<std::size_t>(bytes.size(), 44));
    return Accepted(DecodeNativePoints(bytes, ctx.layout));
}

} // namespace tw::reference
