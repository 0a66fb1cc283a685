// Evaluates amp*sin(omg*p)+0.25*amp*cos(3*omg*p) over 16,777,216 points three ways: the postfix
// text scanned token by token for every point, the program compiled once, and the same formula
// written as a C++ loop. Prints points per second and the ratios between them.
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "expr/ExprParser.h"
#include "expr/support/PostfixReference.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

namespace {

using namespace tw;

constexpr long kPoints = 16777216;
// The text evaluation is too slow for every point of the range; it runs over its first
// sixteenth and the rate is what is compared.
constexpr long kTextPoints = kPoints / 16;
const std::string kFormula = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)";

struct Silent : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

struct Prepared {
    ExprParser parser;
    std::string program;
    Prepared() {
        static Silent silent;
        setPrompter(&silent);
        parser.amp = 8191;
        parser.per = kPoints;
        program = kFormula;
        parser.CheckSyntax(program, 0);
        parser.ToPostfix(program);
        if (program.starts_with("Err")) {
            std::fprintf(stderr, "formula refused: %s\n", program.c_str());
            std::exit(1);
        }
    }
};

Prepared& prepared() {
    static Prepared p;
    return p;
}

void BM_TextScanning(benchmark::State& state) {
    Prepared& p = prepared();
    ExprOperands operands = p.parser.operands();
    for (auto _ : state) {
        double sum = 0;
        for (long i = 0; i < kTextPoints; ++i)
            sum += EvalPostfixText(p.program, i, operands).value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kTextPoints);
}
BENCHMARK(BM_TextScanning)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Compiled(benchmark::State& state) {
    Prepared& p = prepared();
    ExprOperands operands = p.parser.operands();
    for (auto _ : state) {
        const PostfixProgram& program = p.parser.Compiled(p.program);
        double sum = 0;
        for (long i = 0; i < kPoints; ++i)
            sum += program.Run(i, operands).value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Compiled)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_HandWritten(benchmark::State& state) {
    // The constants as the program holds them: omg is its six-digit text read back.
    const double amp = 8191;
    std::ostringstream omgText;
    omgText << 6.283185307179586 / static_cast<double>(kPoints);
    const double omg = std::stod(omgText.str());
    for (auto _ : state) {
        double sum = 0;
        for (long i = 0; i < kPoints; ++i) {
            double p = static_cast<double>(i);
            sum += amp * std::sin(omg * p) + 0.25 * amp * std::cos(3 * omg * p);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_HandWritten)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Points per second; the text evaluation covers only its share of the points.
    auto rate = [&reporter](const char* name, long points) {
        const double s = reporter.of(name);
        return s > 0 ? static_cast<double>(points) / s : 0.0;
    };
    const double text = rate("BM_TextScanning/iterations:1", kTextPoints),
                 compiled = rate("BM_Compiled/iterations:2", kPoints),
                 hand = rate("BM_HandWritten/iterations:2", kPoints);
    if (text > 0 && compiled > 0 && hand > 0) {
        std::printf("points per second: (a) text scanning %.3g, (b) compiled %.3g, "
                    "(c) hand-written %.3g\n",
                    text, compiled, hand);
        std::printf("(c)/(b) = %.2f (goal: at most 3), (b)/(a) = %.1f (goal: at least 20)\n",
                    hand / compiled, compiled / text);
    }
    benchmark::Shutdown();
    return 0;
}
