// Evaluates amp*sin(omg*p)+0.25*amp*cos(3*omg*p) over 16,777,216 points into 16-bit points:
// the postfix text scanned token by token for every point, the compiled program point by point
// (the engine's path before blocks), in blocks on one thread and on two, and the same formula
// written as a C++ loop. In the same run, bench/peers/eval_rate.py measures numpy and numexpr
// (1 and 2 threads) through /usr/bin/python3. Prints points per second and the ratios, and
// checks that the block runs store the same points as the point-by-point one.
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "app/SharedWork.h"
#include "expr/ExprParser.h"
#include "expr/ExprRange.h"
#include "expr/support/PostfixReference.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

// The points of each way, to check that they agree.
std::map<std::string, std::vector<std::int16_t>>& results() {
    static std::map<std::string, std::vector<std::int16_t>> r;
    return r;
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

// The engine's loop before blocks: the compiled program point by point, each value stored.
void BM_PointByPoint(benchmark::State& state) {
    Prepared& p = prepared();
    ExprOperands operands = p.parser.operands();
    std::vector<std::int16_t>& out = results()["point by point"];
    out.assign(kPoints, 0);
    const PointStore toPoint(-32768, 32767);
    for (auto _ : state) {
        const PostfixProgram& program = p.parser.Compiled(p.program);
        for (long i = 0; i < kPoints; ++i)
            out[i] = static_cast<std::int16_t>(toPoint(program.Run(i, operands).value));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PointByPoint)->Unit(benchmark::kMillisecond)->Iterations(2);

// The engine as the editor and the command line run it, over the same points.
void RunBlocks(benchmark::State& state, const char* name, RunSharing sharing) {
    std::vector<std::int16_t>& out = results()[name];
    out.assign(kPoints, 0);
    ExprParser parser;
    const ExprRange range{.start = 0, .end = kPoints - 1, .lo = -8192, .hi = 8191};
    for (auto _ : state) {
        if (!EvaluateOverRange(parser, kFormula, kFormula, range, out, sharing))
            state.SkipWithError("formula refused");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_Blocks(benchmark::State& state) {
    RunBlocks(state, "blocks", {.threads = 1});
}
BENCHMARK(BM_Blocks)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_BlocksOnTwoThreads(benchmark::State& state) {
    RunBlocks(state, "blocks on two threads", {.threads = 2});
}
BENCHMARK(BM_BlocksOnTwoThreads)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

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

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// Points per second of each way bench/peers/eval_rate.py measures ("numpy", "numexpr_1", ...);
// empty when python3 or the script cannot run.
std::map<std::string, double> PeerRates() {
    const std::string command = "/usr/bin/python3 " TW_SOURCE_DIR "/bench/peers/eval_rate.py "
                                "--threads 1,2 --points " +
                                std::to_string(kPoints);
    std::map<std::string, double> rates;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return rates;
    char name[64];
    char value[64];
    while (std::fscanf(pipe, "%63s %63s", name, value) == 2) {
        char* end = nullptr;
        const double rate = std::strtod(value, &end);
        if (*end == '\0' && rate > 0)
            rates[name] = rate;
    }
    pclose(pipe);
    return rates;
}

// Also keeps the processor seconds of the calling thread per iteration.
struct Reporter : tw::bench::SecondsReporter {
    std::map<std::string, double> cpu;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpu[run.benchmark_name()] =
                    run.cpu_accumulated_time / static_cast<double>(run.iterations);
        SecondsReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Points per second; the text evaluation covers only its share of the points.
    auto rate = [&reporter](const char* name, long points) {
        const double s = reporter.of(name);
        return s > 0 ? static_cast<double>(points) / s : 0.0;
    };
    const double text = rate("BM_TextScanning/iterations:1", kTextPoints),
                 point = rate("BM_PointByPoint/iterations:2", kPoints),
                 one = rate("BM_Blocks/iterations:2/real_time", kPoints),
                 two = rate("BM_BlocksOnTwoThreads/iterations:2/real_time", kPoints),
                 hand = rate("BM_HandWritten/iterations:2", kPoints);
    if (text > 0 && point > 0 && one > 0 && two > 0 && hand > 0) {
        std::printf("points per second: (a) text scanning %.3g, (b) compiled point by point %.3g, "
                    "(c) blocks on 1 thread %.3g, (d) blocks on 2 threads %.3g, "
                    "(e) hand-written %.3g\n",
                    text, point, one, two, hand);
        std::printf("(c)/(b) = %.2f, (d)/(b) = %.2f, (d)/(c) = %.2f; (e)/(c) = %.2f, "
                    "(b)/(a) = %.1f (goal: at least 20)\n",
                    one / point, two / point, two / one, hand / one, point / text);
    }
    const std::map<std::string, double> peers = PeerRates();
    if (one > 0 && two > 0 && peers.contains("numpy") && peers.contains("numexpr_1") &&
        peers.contains("numexpr_2")) {
        const double numpy = peers.at("numpy"), ne1 = peers.at("numexpr_1"),
                     ne2 = peers.at("numexpr_2");
        std::printf("peers (float64 values, no 16-bit points): numpy %.3g, numexpr on 1 thread "
                    "%.3g, numexpr on 2 threads %.3g\n",
                    numpy, ne1, ne2);
        auto verdict = [](double ratio) { return ratio > 1 ? "ahead" : "NOT ahead"; };
        std::printf("1 thread: %.2f x numexpr (%s), %.2f x numpy (%s)\n", one / ne1,
                    verdict(one / ne1), one / numpy, verdict(one / numpy));
        std::printf("2 threads: %.2f x numexpr (%s), %.2f x numpy (%s)\n", two / ne2,
                    verdict(two / ne2), two / numpy, verdict(two / numpy));
        // On a busy machine the wall clock mostly measures the other processes: the calling
        // thread's processor time compares one thread with one thread.
        const double oneCpu = reporter.cpu.contains("BM_Blocks/iterations:2/real_time")
                                  ? kPoints / reporter.cpu.at("BM_Blocks/iterations:2/real_time")
                                  : 0.0;
        if (oneCpu > 0 && peers.contains("numpy_cpu") && peers.contains("numexpr_1_cpu"))
            std::printf("1 thread in processor time: blocks %.3g, numpy %.3g, numexpr %.3g; "
                        "%.2f x numexpr (%s), %.2f x numpy (%s)\n",
                        oneCpu, peers.at("numpy_cpu"), peers.at("numexpr_1_cpu"),
                        oneCpu / peers.at("numexpr_1_cpu"),
                        verdict(oneCpu / peers.at("numexpr_1_cpu")), oneCpu / peers.at("numpy_cpu"),
                        verdict(oneCpu / peers.at("numpy_cpu")));
        std::printf("load average while measuring: %.2f\n", LoadAverage());
    } else {
        std::printf("numpy and numexpr not measured: /usr/bin/python3 with python3-numpy and "
                    "python3-numexpr is needed\n");
    }
    const auto& r = results();
    for (const char* name : {"blocks", "blocks on two threads"})
        if (r.contains(name) && r.contains("point by point"))
            std::printf("%s: %s points as point by point\n", name,
                        r.at(name) == r.at("point by point") ? "the same" : "NOT THE SAME");
    benchmark::Shutdown();
    return 0;
}
