#include "ExprTestSupport.h"

#include "expr/support/PostfixReference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace tw {
namespace {

// Random formulas of the whole language, well formed more often than not.
constexpr const char* kConstants[] = {"pi", "e", "amp", "per", "f", "omg"};
constexpr const char* kFunctions[] = {"sin", "cos", "tan", "ctn", "ln", "log", "abs"};

struct FormulaMaker {
    std::mt19937 rng{20261206};
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

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// The compiled program must give exactly what the literal text evaluation gives, errors
// included, for every formula the conversion produces.
TEST(PostfixDifferentialTest, CompiledProgramMatchesTextEvaluationBitForBit) {
    test::ExprSandbox box;
    box.wave("a.wav", {1, -2, 3, -4, 5, 32767, -32768, 0});
    box.wave("b.wav", {9, 8, 7});
    std::vector<std::vector<double>> aliases = {{}, {0.5, -1, 0, 2}, {3, 1e-300, -0.0, 4}};
    ExprParser parser;
    parser.amp = 8191;
    parser.per = 997;
    parser.SetAliases(&aliases, 2);
    FormulaMaker maker;
    int converted = 0, domainErrors = 0;
    for (int n = 0; n < 3000; ++n) {
        std::string program = test::Postfix(parser, maker.formula(4));
        box.prompts.clear();
        if (program.starts_with("Err"))
            continue;
        ++converted;
        const PostfixProgram& compiled = parser.Compiled(program);
        for (long point : {0L, 1L, 2L, 3L, 7L, 500L}) {
            EvalResult fast = compiled.Run(point, parser.operands());
            EvalResult slow = EvalPostfixText(program, point, parser.operands());
            ASSERT_EQ(fast.error, slow.error) << program << " at " << point;
            ASSERT_TRUE(SameBits(fast.value, slow.value))
                << program << " at " << point << ": " << fast.value << " vs " << slow.value;
            domainErrors += fast.error > 0;
        }
    }
    EXPECT_GT(converted, 1000);
    EXPECT_GT(domainErrors, 0);
}

// Texts that no conversion writes still evaluate alike: stray blanks, unknown words, operators
// with operands missing.
TEST(PostfixDifferentialTest, MalformedProgramsFailAlike) {
    test::ExprSandbox box;
    ExprParser parser;
    for (const char* text :
         {"1  2 +  ", " p", "p", "p p p + ", "3 0 / 1 ", "1 0 / + ", "wh7 ", "wh ", "r ", "r12x ",
          "1e999 ", "1e-320 1e-330 + ", "1e5x 2 * ", ". ", "0 ln 1 2 ", "5 - - "}) {
        EvalResult fast = PostfixProgram::Compile(text).Run(3, parser.operands());
        EvalResult slow = EvalPostfixText(text, 3, parser.operands());
        EXPECT_EQ(fast.error, slow.error) << text;
        EXPECT_TRUE(SameBits(fast.value, slow.value)) << text;
    }
}

} // namespace
} // namespace tw
