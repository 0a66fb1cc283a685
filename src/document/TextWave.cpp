#include "document/TextWave.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>

namespace tw {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kExactMantissa = std::uint64_t{1} << 53;

// The common short numbers, read the way from_chars reads them and much faster: a mantissa up to
// 2^53 and a power of ten up to 1e22 are both exact doubles, so one multiplication or division
// rounds the value correctly. nullptr for any other text, which from_chars then reads.
const char* QuickNumber(const char* p, const char* last, double& value) {
    const bool negative = p != last && *p == '-';
    if (negative)
        ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int exponent = 0;
    for (; p != last && IsDigit(*p); ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    if (p != last && *p == '.')
        for (++p; p != last && IsDigit(*p); ++p, ++digits, --exponent)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    if (digits == 0 || digits > 19 || mantissa > kExactMantissa)
        return nullptr;
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        const bool down = e != last && *e == '-';
        if (e != last && (*e == '-' || *e == '+'))
            ++e;
        int power = 0;
        int powerDigits = 0;
        for (; e != last && IsDigit(*e) && powerDigits < 5; ++e, ++powerDigits)
            power = power * 10 + (*e - '0');
        if (e != last && IsDigit(*e))
            return nullptr;
        if (powerDigits > 0) { // an 'e' without digits is not part of the number
            exponent += down ? -power : power;
            p = e;
        }
    }
    if (exponent < -22 || exponent > 22)
        return nullptr;
    const auto m = static_cast<double>(mantissa);
    const double magnitude =
        exponent >= 0 ? m * kExactPowers[exponent] : m / kExactPowers[-exponent];
    value = negative ? -magnitude : magnitude;
    return p;
}

} // namespace

const char* ScanNumber(const char* first, const char* last, double& value) {
    const char* p = first;
    if (p != last && *p == '+') {
        ++p; // from_chars takes '-' but not '+'
        if (p != last && (*p == '-' || *p == '+'))
            return first;
    }
    if (const char* end = QuickNumber(p, last, value))
        return end;
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
