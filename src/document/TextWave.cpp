#include "document/TextWave.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
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

bool ReadAsciiPoints(ImportSource& in, PointLayout layout, PointSink& out) {
    PointBatch batch(out, layout);
    TextPieces pieces(in, IsBlank);
    for (std::string_view piece = pieces.next(); !piece.empty(); piece = pieces.next()) {
        const char* p = piece.data();
        const char* last = p + piece.size();
        for (;;) {
            while (p != last && IsBlank(*p))
                ++p;
            if (p == last)
                break;
            double value = 0;
            const char* end = ScanNumber(p, last, value);
            std::int32_t point = 0;
            if (end == p || (end != last && !IsBlank(*end)) || !WholePoint(value, layout, point) ||
                !batch.add(point))
                return false;
            p = end;
        }
    }
    return batch.flush() && batch.count() > 0;
}

namespace {

// Each block's text is made whole, then written at once.
bool WriteText(std::ostream& out, const std::string& text) {
    return static_cast<bool>(out.write(text.data(), static_cast<std::streamsize>(text.size())));
}

} // namespace

bool WriteAsciiPoints(std::ostream& out, std::span<const std::int32_t> points, std::size_t first) {
    std::string text;
    text.reserve(points.size() * 8);
    char buffer[32];
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (first + i > 0)
            text += ' ';
        // Same text as printf's "%g": six significant digits.
        auto res = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(points[i]),
                                 std::chars_format::general, 6);
        text.append(buffer, res.ptr);
    }
    return WriteText(out, text);
}

bool WriteCsvPoints(std::ostream& out, std::span<const std::int32_t> points, std::size_t first) {
    std::string text;
    text.reserve(points.size() * 12);
    char buffer[24];
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (first + i > 0)
            text += "\r\n";
        text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, first + i).ptr);
        text += ", ";
        text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, points[i]).ptr);
    }
    return WriteText(out, text);
}

bool WritePositivePoints(std::ostream& out, std::span<const std::int32_t> points, std::size_t) {
    std::string bytes(points.size() * 2, '\0');
    char* p = bytes.data();
    for (std::int32_t v : points) {
        auto u = static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) + 32768u);
        *p++ = static_cast<char>(u & 0xFF);
        *p++ = static_cast<char>(u >> 8);
    }
    return WriteText(out, bytes);
}

} // namespace tw
