#include "ExprTestSupport.h"

#include "expr/ProgramRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace tw {
namespace {

constexpr double kUntouched = -7.25; // what out holds before a run
constexpr long kPoints = 2000;

struct Outcome {
    std::vector<double> values = std::vector<double>(kPoints, kUntouched);
    RunFailure failure;
    ValueSpan span;
};

// The yardstick: Run at every point in turn, stopping at the first failure.
template <class PointOf>
Outcome PointByPoint(const PostfixProgram& program, const ExprOperands& operands, PointOf pointOf) {
    Outcome o;
    for (long i = 0; i < kPoints; ++i) {
        const EvalResult r = program.Run(pointOf(static_cast<std::size_t>(i)), operands);
        if (r.error) {
            o.failure = {i, r.error};
            break;
        }
        o.span.Take(r.value);
        o.values[i] = r.value;
    }
    return o;
}

template <class PointOf>
Outcome InBlocks(const PostfixProgram& program, const ExprOperands& operands, PointOf pointOf,
                 RunSharing sharing) {
    Outcome o;
    o.failure = RunProgram(
        program, operands, std::span<double>(o.values), pointOf, [](double v) { return v; },
        &o.span, sharing);
    return o;
}

::testing::AssertionResult Same(const Outcome& a, const Outcome& b) {
    if (a.failure.at != b.failure.at || a.failure.error != b.failure.error)
        return ::testing::AssertionFailure()
               << "failure at " << a.failure.at << " (" << a.failure.error << ") vs "
               << b.failure.at << " (" << b.failure.error << ")";
    // The span's bits, so that -0.0 and 0.0 count as different.
    if (std::memcmp(&a.span, &b.span, sizeof a.span) != 0)
        return ::testing::AssertionFailure() << "span " << a.span.lo << ".." << a.span.hi << " vs "
                                             << b.span.lo << ".." << b.span.hi;
    for (long i = 0; i < kPoints; ++i)
        if (!test::SameBits(a.values[i], b.values[i]))
            return ::testing::AssertionFailure()
                   << "point " << i << ": " << a.values[i] << " vs " << b.values[i];
    return ::testing::AssertionSuccess();
}

// Threads, tile sizes and rounds chosen so that tiles straddle blocks and rounds, and a failure
// can fall in any of them while other threads run ahead.
const RunSharing kSharings[] = {
    {.threads = 1},
    {.threads = 3, .parallelFrom = 0, .tilePoints = 300, .roundTiles = 3},
    {.threads = 2, .parallelFrom = 0, .tilePoints = 1024, .roundTiles = 2},
    {.threads = 2, .parallelFrom = 0},
};

// Blocks on one thread and on several give what Run gives point by point, to the bit: values,
// the first failure in point order, the points after it left alone, and the span of the values.
TEST(ProgramRunTest, BlocksAndThreadsMatchPointByPointOnRandomFormulas) {
    test::ExprSandbox box;
    box.wave("a.wav", {1, -2, 3, -4, 5, 32767, -32768, 0});
    box.wave("b.wav", {9, 8, 7});
    std::vector<std::vector<double>> aliases(3);
    for (long i = 0; i < kPoints; ++i) {
        aliases[1].push_back(static_cast<double>(i) * 0.5 - 300);
        if (i < kPoints / 2) // read past its end from the middle on
            aliases[2].push_back(i % 3 == 0 ? -0.0 : std::sin(static_cast<double>(i)));
    }
    ExprParser parser;
    parser.amp = 8191;
    parser.per = kPoints;
    parser.SetAliases(&aliases, 2);

    std::vector<std::string> formulas = {
        "1/(p-1200)",            // fails at the first point of a tile
        "ln(1000-p)+1/(p-1500)", // the first of two failures in point order
        "1/(p-1999)",            // at the last point
        "1/(p-1199)+ln(1450-p)", // late in a tile, while the next tiles fail early
        "1/(p-1000)",            // while the next tiles of its round succeed
        "0*(700-p)",             // 0.0 first, -0.0 later: the span keeps the first
        "0*(p-700)-0*p",
        "{1}*sin(p)+{2}",
        "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)",
        "5",
    };
    const std::vector<std::string> recorded = test::RecordedFormulas();
    formulas.insert(formulas.end(), recorded.begin(), recorded.begin() + 590);

    const double q = static_cast<double>(kPoints) / 3;
    auto identity = [](std::size_t i) { return static_cast<long>(i); };
    auto cycle = [q](std::size_t i) {
        return static_cast<long>(std::fmod(static_cast<double>(i), q));
    };
    int evaluated = 0, failedPartWay = 0;
    for (const std::string& formula : formulas) {
        std::string program = test::Postfix(parser, formula);
        box.prompts.clear();
        if (program.starts_with("Err"))
            continue;
        ++evaluated;
        const PostfixProgram& compiled = parser.Compiled(program);
        const ExprOperands operands = parser.operands();
        const Outcome expected = PointByPoint(compiled, operands, identity);
        const Outcome expectedCycle = PointByPoint(compiled, operands, cycle);
        failedPartWay += expected.failure.at > 0;
        for (const RunSharing& sharing : kSharings) {
            ASSERT_TRUE(Same(InBlocks(compiled, operands, ConsecutivePoints{}, sharing), expected))
                << formula << " on " << sharing.threads << " threads";
            ASSERT_TRUE(Same(InBlocks(compiled, operands, cycle, sharing), expectedCycle))
                << formula << " on " << sharing.threads << " threads, in cycles";
        }
    }
    EXPECT_GT(evaluated, 300);
    EXPECT_GE(failedPartWay, 3);
}

// A shared run keeps no copy of the points it overwrites for a program that cannot fail, so a
// program that can must never pass for one.
TEST(ProgramRunTest, ProgramsThatMayFailAreKnown) {
    test::ExprSandbox box;
    ExprParser parser;
    parser.per = 1000;
    for (auto [formula, mayFail] : {std::pair{"amp*sin(omg*p)*cos(3*p)-abs(p)^2", false},
                                    {"p/7%3+(p>2 & p<9)|1", false},
                                    {"1/(p-1000)", true},
                                    {"p%(2-p)", true},
                                    {"p/0", true},
                                    {"ln(1+p)", true},
                                    {"log(p+1)", true},
                                    {"tan(p)", true},
                                    {"ctn(p)", true}})
        EXPECT_EQ(parser.Compiled(test::Postfix(parser, formula)).mayFail(), mayFail) << formula;
}

} // namespace
} // namespace tw
