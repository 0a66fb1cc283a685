#include "ExprTestSupport.h"

#include "expr/ExprMath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tw {
namespace {

// What the literal text evaluation (tests/expr/support) gave, recorded a line a program: the
// formula (none for a malformed program taken as it stands: stray blanks, unknown words,
// operands missing), the program its conversion writes, and the value or "!error" at each point.
// The compiled program must give them to the bit, errors included.
TEST(PostfixDifferentialTest, CompiledProgramsGiveTheRecordedResultsBitForBit) {
    test::ExprSandbox box;
    box.wave("a.wav", {1, -2, 3, -4, 5, 32767, -32768, 0});
    box.wave("b.wav", {9, 8, 7});
    std::vector<std::vector<double>> aliases = {{}, {0.5, -1, 0, 2}, {3, 1e-300, -0.0, 4}};
    ExprParser parser;
    parser.amp = 8191;
    parser.per = 997;
    parser.SetAliases(&aliases, 2);
    std::ifstream in(TW_TEST_DATA_DIR "/expr/postfix-results.txt");
    int evaluated = 0, domainErrors = 0;
    for (std::string formula, program, results; std::getline(in, formula, '\t') &&
                                                std::getline(in, program, '\t') &&
                                                std::getline(in, results);) {
        if (!formula.empty()) {
            ASSERT_EQ(test::Postfix(parser, formula), program) << formula;
            box.prompts.clear();
        }
        if (program.starts_with("Err"))
            continue;
        ++evaluated;
        const PostfixProgram& compiled = parser.Compiled(program);
        std::istringstream expected(results);
        std::string text;
        for (long point : {0L, 1L, 2L, 3L, 7L, 500L}) {
            ASSERT_TRUE(expected >> text) << program;
            const EvalResult r = compiled.Run(point, parser.operands());
            const bool failed = text.starts_with('!');
            ASSERT_EQ(r.error, failed ? std::atoi(text.c_str() + 1) : 0)
                << program << " @" << point;
            ASSERT_TRUE(test::SameBits(r.value, failed ? expr::kFailValue
                                                       : std::strtod(text.c_str(), nullptr)))
                << program << " at " << point << ": " << r.value << " vs " << text;
            domainErrors += r.error > 0;
        }
    }
    EXPECT_GT(evaluated, 2000);
    EXPECT_GT(domainErrors, 0);
}

} // namespace
} // namespace tw
