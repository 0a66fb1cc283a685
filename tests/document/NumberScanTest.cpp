// The quick reading of short numbers gives what from_chars gives, bit for bit, on every shape of
// number text and at every cut of it.
#include "document/TextWave.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

namespace tw {
namespace {

// ScanNumber as it reads with from_chars alone.
const char* SlowScan(const char* first, const char* last, double& value) {
    const char* p = first;
    if (p != last && *p == '+') {
        ++p;
        if (p != last && (*p == '-' || *p == '+'))
            return first;
    }
    auto [end, ec] = std::from_chars(p, last, value);
    if (ec == std::errc::result_out_of_range) {
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

std::string RandomNumberText(std::mt19937_64& random) {
    auto below = [&](std::uint64_t n) { return random() % n; };
    static const char* const kPieces[] = {"-", "+", ".", "e", "E", "e-", "e+", "0", "00"};
    std::string text;
    if (below(3) == 0)
        text += below(2) ? "-" : "+";
    const std::uint64_t digits = below(24);
    for (std::uint64_t i = 0; i < digits; ++i)
        text += static_cast<char>('0' + below(10));
    if (below(2)) {
        text += '.';
        for (std::uint64_t i = below(20); i > 0; --i)
            text += static_cast<char>('0' + below(10));
    }
    if (below(2)) {
        text += below(2) ? 'e' : 'E';
        if (below(2))
            text += below(2) ? '-' : '+';
        for (std::uint64_t i = below(7); i > 0; --i)
            text += static_cast<char>('0' + below(10));
    }
    if (below(4) == 0)
        text += kPieces[below(std::size(kPieces))];
    return text;
}

TEST(NumberScan, QuickReadingEqualsFromCharsBitForBit) {
    std::mt19937_64 random(19);
    auto check = [](const std::string& text) {
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            const char* first = text.data();
            double quick = -1, slow = -1;
            const char* quickEnd = ScanNumber(first, first + cut, quick);
            const char* slowEnd = SlowScan(first, first + cut, slow);
            ASSERT_EQ(quickEnd - first, slowEnd - first) << text.substr(0, cut);
            if (slowEnd != first) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(quick), std::bit_cast<std::uint64_t>(slow))
                    << text.substr(0, cut);
            }
        }
    };
    std::istringstream fixed("0 -0 5. -.5 . - 1e 1e+ 1E-2 9007199254740993 9007199254740992 "
                             "123456789012345678901 1e22 1e23 12345.6789e-22 0.1 -32768 2.5e-9 "
                             "1e-400 1e400 00000000000000000001");
    for (std::string text; fixed >> text;)
        check(text);
    for (int i = 0; i < 200000; ++i)
        check(RandomNumberText(random));
}

} // namespace
} // namespace tw
