#include "document/TextWave.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace tw {

const char* ScanNumber(const char* first, const char* last, double& value) {
    const char* p = first;
    if (p != last && *p == '+') {
        ++p; // from_chars takes '-' but not '+'
        if (p != last && (*p == '-' || *p == '+'))
            return first;
    }
    auto [end, ec] = std::from_chars(p, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double is as good as zero; too large is no number.
        std::string_view text(p, static_cast<std::size_t>(end - p));
        auto e = text.find_first_of("eE");
        if (e == std::string_view::npos || e + 1 >= text.size() || text[e + 1] != '-')
            return first;
        value = 0;
        return end;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return first;
    return end;
}

bool WholePoint(double value, PointLayout layout, std::int32_t& point) {
    const double whole = std::trunc(value);
    const double lo = layout == PointLayout::Int16 ? -32768.0 : -2147483648.0;
    const double hi = layout == PointLayout::Int16 ? 32767.0 : 2147483647.0;
    if (!(whole >= lo && whole <= hi))
        return false;
    point = static_cast<std::int32_t>(whole);
    return true;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

ImportResult ParseAsciiPoints(std::string_view text, PointLayout layout) {
    ImportResult result;
    const char* p = text.data();
    const char* last = p + text.size();
    // A rough first guess avoids most regrowth on long files without a counting pass.
    result.points.reserve(std::min<std::size_t>(text.size() / 4 + 1, kMaxWavePoints));
    for (;;) {
        while (p != last && IsBlank(*p))
            ++p;
        if (p == last)
            break;
        double value = 0;
        const char* end = ScanNumber(p, last, value);
        std::int32_t point = 0;
        if (end == p || (end != last && !IsBlank(*end)) || !WholePoint(value, layout, point) ||
            result.points.size() == kMaxWavePoints)
            return ImportFailed();
        result.points.push_back(point);
        p = end;
    }
    if (result.points.empty())
        return ImportFailed();
    result.ok = true;
    return result;
}

std::string FormatAsciiPoints(std::span<const std::int32_t> points) {
    std::string out;
    out.reserve(points.size() * 8);
    char buffer[32];
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i)
            out += ' ';
        // Same text as printf's "%g": six significant digits.
        auto res = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(points[i]),
                                 std::chars_format::general, 6);
        out.append(buffer, res.ptr);
    }
    return out;
}

std::string FormatCsvPoints(std::span<const std::int32_t> points) {
    std::string out;
    out.reserve(points.size() * 12);
    char buffer[16];
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i)
            out += "\r\n";
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, i).ptr);
        out += ", ";
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, points[i]).ptr);
    }
    return out;
}

std::string EncodePositivePoints(std::span<const std::int32_t> points) {
    std::string out(points.size() * 2, '\0');
    char* p = out.data();
    for (std::int32_t v : points) {
        auto u = static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) + 32768u);
        *p++ = static_cast<char>(u & 0xFF);
        *p++ = static_cast<char>(u >> 8);
    }
    return out;
}

} // namespace tw
