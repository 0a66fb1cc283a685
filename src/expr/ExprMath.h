#pragma once
#include "app/MessageIds.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>

namespace tw::expr {

// Both evaluators (the compiled program and the text-scanning reference) go through these, so
// that they cannot differ in a single bit.

inline constexpr double kFailValue = 1.11e9;
inline constexpr int kStackFailure = -1; // too few or too many operands, unknown token

// The length of the sign-less decimal number at the start of text (0 when there is none): digits,
// an optional fraction, and an exponent only when digits follow it.
inline std::size_t ScanNumber(std::string_view text) {
    std::size_t i = 0, digits = 0;
    auto isDigit = [&](std::size_t k) {
        return k < text.size() && text[k] >= '0' && text[k] <= '9';
    };
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (isDigit(j)) {
            while (isDigit(j))
                ++j;
            i = j;
        }
    }
    return i;
}

// The value of a number text as a string stream reads it (an overflow gives the largest double),
// whatever locale the process runs in.
inline double NumberValue(std::string_view text) {
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double v = 0;
    in >> v;
    return v;
}

// Truncation toward zero to a 32-bit integer; out-of-range values saturate and NaN gives 0, so
// that no input reaches an undefined conversion.
inline std::int32_t TruncInt32(double x) {
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

// Binary operator c applied to l and r; error gets a message id on a domain failure and
// kStackFailure for a character that is no operator.
inline double ApplyBinary(char c, double l, double r, int& error) {
    switch (c) {
    case '+':
        return l + r;
    case '-':
        return l - r;
    case '*':
        return l * r;
    case '/':
    case '%':
        if (r == 0) {
            error = kMsgDivideByZero;
            return 0;
        }
        return l / r;
    case '^':
        return std::pow(l, r);
    case '&':
        return static_cast<double>(TruncInt32(l) & TruncInt32(r));
    case '|':
        return static_cast<double>(TruncInt32(l) | TruncInt32(r));
    case '<':
        return l < r ? 1 : 0;
    case '>':
        return l > r ? 1 : 0;
    case '=':
        return l == r ? 1 : 0;
    default:
        error = kStackFailure;
        return 0;
    }
}

enum class Function : std::uint8_t { Abs, Sin, Cos, Tan, Ctn, Ln, Log, Unknown };

// Chosen by the first letter of the name, and the second for cos/ctn and ln/log.
inline Function FunctionNamed(std::string_view name) {
    if (name.empty())
        return Function::Unknown;
    char second = name.size() > 1 ? name[1] : '\0';
    switch (name[0]) {
    case 'a':
        return Function::Abs;
    case 's':
        return Function::Sin;
    case 't':
        return Function::Tan;
    case 'c':
        return second == 'o' ? Function::Cos : Function::Ctn;
    case 'l':
        return second == 'n' ? Function::Ln : Function::Log;
    default:
        return Function::Unknown;
    }
}

inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kPi = 3.141592653589793;

inline double ApplyFunction(Function f, double x, int& error) {
    switch (f) {
    case Function::Abs:
        return std::fabs(x);
    case Function::Sin:
        return std::sin(x);
    case Function::Cos:
        return std::cos(x);
    case Function::Tan:
        if (x != 0 && std::fabs(std::fmod(x, kHalfPi)) < 1e-12) {
            error = kMsgInvalidTan;
            return 0;
        }
        return std::tan(x);
    case Function::Ctn: {
        if (x != 0 && std::fabs(std::fmod(x, kPi)) < 1e-12) {
            error = kMsgInvalidCtn;
            return 0;
        }
        double v = std::tan(kHalfPi - x);
        if (v > 1e12) {
            error = kMsgInvalidCtn;
            return 0;
        }
        return v;
    }
    case Function::Ln:
        if (x <= 0) {
            error = kMsgInvalidLog;
            return 0;
        }
        return std::log(x);
    case Function::Log:
        if (x <= 0) {
            error = kMsgInvalidLog;
            return 0;
        }
        return std::log10(x);
    case Function::Unknown:
        break;
    }
    error = kStackFailure;
    return 0;
}

} // namespace tw::expr
