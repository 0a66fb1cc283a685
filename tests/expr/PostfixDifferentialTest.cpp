#include "ExprTestSupport.h"

#include "RandomFormulas.h"
#include "expr/support/PostfixReference.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tw {
namespace {

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
    test::FormulaMaker maker;
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
            ASSERT_TRUE(test::SameBits(fast.value, slow.value))
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
        EXPECT_TRUE(test::SameBits(fast.value, slow.value)) << text;
    }
}

} // namespace
} // namespace tw
