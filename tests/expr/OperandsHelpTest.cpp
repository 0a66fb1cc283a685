#include "ExprTestSupport.h"

#include "expr/ExprRange.h"
#include "expr/OperandsHelp.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tw {
namespace {

// Every example the help shows must evaluate over a range without a message.
TEST(OperandsHelpTest, EveryExampleEvaluates) {
    test::ExprSandbox box;
    for (const std::string& example : OperandsHelpExamples()) {
        EXPECT_NE(std::strstr(OperandsHelpText(), example.c_str()), nullptr) << example;
        ExprParser parser;
        std::vector<std::int32_t> points(1000);
        ExprRange range{
            .start = 0, .end = 999, .lo = 0, .hi = 16383, .lowest = 0, .highest = 16383};
        EXPECT_TRUE(EvaluateOverRange(parser, example, example, range, points)) << example;
    }
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

} // namespace
} // namespace tw
