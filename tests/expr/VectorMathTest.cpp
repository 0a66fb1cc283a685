#include "ExprTestSupport.h"

#include "expr/ExprRange.h"
#include "expr/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <tuple>

namespace tw {
namespace {

using expr::VectorLevel;

// The levels above scalar this processor runs; each test puts the best one back.
std::vector<VectorLevel> VectorLevels() {
    std::vector<VectorLevel> levels;
    for (VectorLevel l : {VectorLevel::Avx2, VectorLevel::Avx512})
        if (l <= expr::BestVectorLevel())
            levels.push_back(l);
    return levels;
}

struct RestoreLevel {
    ~RestoreLevel() { expr::SetVectorLevel(expr::BestVectorLevel()); }
};

// The distances the engine assumes hold, with room: arguments of every size and sign, near the
// zeros of sin and cos, near 1 for the logarithms, and block tails of every length, for the
// variants of 32-bit codes and the looser ones of 16-bit codes. Beyond the reach of their
// reduction (infinities and NaN too) sin and cos give libm's bits, and at the reduction's edges
// every level gives the same bits.
TEST(VectorMathTest, VariantsStayWithinTheirDistanceOfLibm) {
    RestoreLevel restore;
    std::mt19937_64 rng(28);
    std::vector<double> args;
    for (int i = 0; i < 20000; ++i) {
        const double mantissa = std::uniform_real_distribution<double>(-1, 1)(rng);
        args.push_back(std::ldexp(mantissa, std::uniform_int_distribution<int>(-60, 90)(rng)));
        args.push_back(std::uniform_int_distribution<int>(-1000000, 1000000)(rng) * expr::kHalfPi);
        args.push_back(1 + std::ldexp(mantissa, -std::uniform_int_distribution<int>(1, 52)(rng)));
    }
    // The edges of the reduction of sin and cos: the largest argument reduced and the next,
    // multiples of pi and pi/2 below and past it.
    const double reach = expr::kReducedUpTo, inf = std::numeric_limits<double>::infinity();
    const double beyond = std::nextafter(reach, inf), nan = std::nan("");
    std::vector<double> trigEdges = {0.0, -0.0, 5e-324, -1e-300, 1e-8, expr::kHalfPi, -expr::kPi};
    trigEdges.insert(trigEdges.end(),
                     {reach, -reach, beyond, -beyond, 1e22, -1e300, inf, -inf, nan});
    for (double m : {1.0, 3.0, 1e5, 341782637.0, 683565275.0})
        for (double at : {m * expr::kPi, (m + 0.5) * expr::kPi, std::nextafter(m * expr::kPi, 0)})
            trigEdges.insert(trigEdges.end(), {at, -at});
    std::map<std::tuple<expr::Function, std::size_t, bool>, std::vector<double>> firstLevel;
    for (VectorLevel level : VectorLevels()) {
        ASSERT_EQ(expr::SetVectorLevel(level), level);
        for (expr::Function f :
             {expr::Function::Sin, expr::Function::Cos, expr::Function::Ln, expr::Function::Log}) {
            const bool trig = f == expr::Function::Sin || f == expr::Function::Cos;
            for (auto [n, coarse] : {std::pair{args.size(), false},
                                     {args.size(), true},
                                     {std::size_t{5}, false},
                                     {std::size_t{3}, true}}) {
                std::vector<double> x(args.begin(), args.begin() + static_cast<long>(n));
                if (trig) {
                    x.insert(x.end(), trigEdges.begin(), trigEdges.end());
                } else { // and the edges of the logarithms' reduction and of their reach
                    for (double& v : x)
                        v = std::fabs(v) + 1e-300;
                    const double root = std::sqrt(0.5), huge = std::numeric_limits<double>::max();
                    x.insert(x.end(),
                             {root, std::nextafter(root, 0), 2 * root, std::nextafter(2 * root, 0),
                              0.5, 1, 2, huge, 0x1p-1022, std::nextafter(0x1p-1022, 1), 0x1p-1074});
                }
                std::vector<double> y = x;
                expr::ApplyVector(f, y.data(), x.size(), coarse);
                for (std::size_t k = 0; k < x.size(); ++k) {
                    int error = 0;
                    const double scalar = expr::ApplyFunction(f, x[k], error);
                    const double bound = !trig ? expr::kLogDistance * std::fabs(scalar) + 1e-300 +
                                                     (coarse ? expr::kLogCoarseDistance : 0)
                                         : coarse ? expr::kTrigCoarseDistance
                                                  : expr::kTrigDistance;
                    if (trig && !(std::fabs(x[k]) <= reach)) {
                        ASSERT_TRUE(test::SameBits(y[k], scalar)) << "libm's value at " << x[k];
                    } else {
                        ASSERT_LE(std::fabs(y[k] - scalar), bound)
                            << expr::VectorLevelName(level) << " function " << static_cast<int>(f)
                            << " at " << x[k];
                    }
                }
                if (!trig)
                    continue;
                const std::vector<double> edges(y.end() - static_cast<long>(trigEdges.size()),
                                                y.end());
                const auto [first, added] = firstLevel.try_emplace({f, n, coarse}, edges);
                if (!added) {
                    ASSERT_EQ(0, std::memcmp(first->second.data(), edges.data(), edges.size() * 8))
                        << expr::VectorLevelName(level) << " function " << static_cast<int>(f);
                }
            }
        }
    }
}

// The formulas of tests/data/expr/vector-formulas.txt and the fuzzing seeds, and recorded random
// ones.
std::vector<std::string> Corpus() {
    std::vector<std::string> formulas;
    std::ifstream listed(TW_TEST_DATA_DIR "/expr/vector-formulas.txt");
    for (std::string line; std::getline(listed, line);)
        if (!line.starts_with('#'))
            formulas.push_back(line);
    for (const auto& seed : std::filesystem::directory_iterator(TW_SOURCE_DIR "/tests/fuzz/expr")) {
        std::ifstream in(seed.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        if (text.size() > 1)
            formulas.push_back(ToLower(text.substr(1))); // the first byte holds the options
    }
    const std::vector<std::string> recorded = test::RecordedFormulas();
    formulas.insert(formulas.end(), recorded.end() - static_cast<long>(400 - formulas.size()),
                    recorded.end());
    return formulas;
}

// Through the vector functions every code is the one the scalar run on one thread stores, on 1,
// 2 and 3 threads, in 16 and 32 bits (where codes lie far closer than the values' distances), in
// both passes, and a failing formula fails at the same point.
TEST(VectorMathTest, CodesEqualTheScalarRunsOnTheCorpusAndRandomFormulas) {
    RestoreLevel restore;
    test::ExprSandbox box;
    std::vector<std::int16_t> wave(800);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = static_cast<std::int16_t>(i * 37 % 2001 - 1000);
    box.wave("w800.wav", wave);
    box.wave("a.wav", {1, -2, 3, -4, 5, 32767, -32768, 0});
    box.wave("b.wav", {9, 8, 7});
    std::vector<std::vector<double>> aliases(4);
    for (long i = 0; i < 3000; ++i) {
        const auto x = static_cast<double>(i);
        aliases[1].push_back(std::sin(x) * 0.5 - 0.1);
        aliases[2].push_back(std::log(x + 1));
        aliases[3].push_back(std::log10(x + 1));
    }
    const long n = 2500;
    const RunSharing sharings[] = {
        {.threads = 1},
        {.threads = 2, .parallelFrom = 0, .tilePoints = 1024, .roundTiles = 2},
        {.threads = 3, .parallelFrom = 0, .tilePoints = 300, .roundTiles = 3},
    };
    struct Codes {
        double lo, hi, lowest, highest;
    };
    int evaluated = 0;
    // 16-bit codes kept in 16 bits, which the looser sin and cos serve, and 32-bit ones.
    auto check = [&](const std::string& formula, auto sample, const Codes& w) {
        using Sample = decltype(sample);
        for (bool scaled : {false, true}) {
            const ExprRange range{.start = 3,
                                  .end = 3 + n - 1,
                                  .lo = w.lo,
                                  .hi = w.hi,
                                  .cycles = 3,
                                  .scaled = scaled,
                                  .lowest = w.lowest,
                                  .highest = w.highest};
            auto run = [&](RunSharing sharing, std::vector<Sample>& points) {
                ExprParser parser;
                parser.SetAliases(&aliases, 3);
                return Show(box.prompts,
                            EvaluateOverRange(parser, formula, formula, range, points, sharing));
            };
            expr::SetVectorLevel(VectorLevel::Scalar);
            std::vector<Sample> expected(n + 6, -1);
            const bool ok = run({.threads = 1}, expected);
            const std::string message = box.prompts.lastText();
            box.prompts.clear();
            evaluated += ok;
            std::vector<VectorLevel> levels = VectorLevels();
            levels.push_back(VectorLevel::Scalar); // the shared runs of the scalar code too
            for (VectorLevel level : levels) {
                expr::SetVectorLevel(level);
                for (const RunSharing& sharing : sharings) {
                    std::vector<Sample> points(n + 6, -1);
                    ASSERT_EQ(run(sharing, points), ok) << formula;
                    ASSERT_EQ(box.prompts.lastText(), message) << formula;
                    box.prompts.clear();
                    ASSERT_EQ(points, expected)
                        << formula << " at " << expr::VectorLevelName(level) << " on "
                        << sharing.threads << " threads" << (scaled ? ", scaled" : "")
                        << ", codes to " << w.highest;
                }
            }
        }
    };
    for (const std::string& formula : Corpus()) {
        check(formula, std::int16_t{}, {-32768, 32767, -32768, 32767});
        check(formula, std::int32_t{}, {-2.0e9, 2.0e9, -2147483648.0, 2147483647.0});
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(evaluated, 600);
}

} // namespace
} // namespace tw
