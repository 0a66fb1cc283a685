#pragma once
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "expr/ExprParser.h"
#include "support/Sandbox.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace tw::test {

// A sandbox whose wave folder holds the operand files a test writes.
struct ExprSandbox : Sandbox {
    std::string waves;
    ExprSandbox() {
        waves = root() + "/waves/";
        CreateFolder(waves);
    }
    // A native file of 16-bit little-endian samples, plus extra trailing bytes.
    std::string wave(const std::string& name, const std::vector<std::int16_t>& samples,
                     const std::string& tail = "") const {
        std::ofstream out(waves + name, std::ios::binary);
        for (std::int16_t s : samples) {
            auto u = static_cast<std::uint16_t>(s);
            out.put(static_cast<char>(u & 0xff)).put(static_cast<char>(u >> 8));
        }
        out << tail;
        return waves + name;
    }
};

// Check and conversion as the editor runs them; the postfix text, or the marker left.
inline std::string Postfix(ExprParser& parser, const std::string& formula, int alias = 0) {
    std::string buffer = formula;
    Show(prompter(), parser.CheckSyntax(buffer, alias));
    if (buffer.starts_with("Err"))
        return buffer;
    Show(prompter(), parser.ToPostfix(buffer));
    return buffer;
}

inline double Value(ExprParser& parser, const std::string& formula, long point = 0) {
    std::string program = Postfix(parser, formula);
    Result failure;
    const double value = parser.EvalPostfix(program, point, &failure);
    Show(prompter(), failure);
    return value;
}

// The same double, or both NaN.
inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// The formulas of the recorded programs (PostfixDifferentialTest): random ones of the whole
// language over the operands a.wav, b.wav and {0} to {3}, well formed more often than not.
inline std::vector<std::string> RecordedFormulas() {
    std::vector<std::string> formulas;
    std::ifstream in(TW_TEST_DATA_DIR "/expr/postfix-results.txt");
    for (std::string formula, rest; std::getline(in, formula, '\t') && std::getline(in, rest);)
        if (!formula.empty())
            formulas.push_back(formula);
    return formulas;
}

} // namespace tw::test
