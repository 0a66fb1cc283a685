#pragma once
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace tw::test {

// Random formulas of the whole language, well formed more often than not.
inline constexpr const char* kConstants[] = {"pi", "e", "amp", "per", "f", "omg"};
inline constexpr const char* kFunctions[] = {"sin", "cos", "tan", "ctn", "ln", "log", "abs"};

struct FormulaMaker {
    std::mt19937 rng;
    explicit FormulaMaker(unsigned seed = 20261206) : rng(seed) {}
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    std::string operand() {
        switch (pick(9)) {
        case 0:
            return std::to_string(pick(100));
        case 1:
            return "0." + std::to_string(pick(1000));
        case 2:
            return "1e" + std::to_string(pick(5));
        case 3:
            return kConstants[pick(6)];
        case 4:
            return "{" + std::to_string(pick(4)) + "}";
        case 5:
            return pick(2) ? "a.wav" : "b.wav";
        default:
            return "p";
        }
    }
    std::string formula(int depth) {
        if (depth == 0 || pick(4) == 0)
            return operand();
        switch (pick(5)) {
        case 0:
            return kFunctions[pick(7)] + std::string("(") + formula(depth - 1) + ")";
        case 1:
            return "(-" + formula(depth - 1) + ")";
        case 2:
            return "(" + formula(depth - 1) + ")";
        default:
            return formula(depth - 1) + "+-*/%^&|<>="[pick(11)] + formula(depth - 1);
        }
    }
};

// The same double, or both NaN.
inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace tw::test
