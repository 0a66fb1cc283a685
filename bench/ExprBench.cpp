// Evaluates three formulas over 16,777,216 points into 16-bit points, on 1 and on 2 threads,
// against numpy and numexpr (bench/peers/eval_rate.py through /usr/bin/python3), the two sides
// taking turns for several rounds so that both see the same machine. Prints points per second,
// the ratio to the best peer of each round (its least and its median), the load average of each
// round, one thread against one thread in processor time (which a busy machine disturbs far less
// than the wall clock), the peers' peak memory as /usr/bin/time reports it, and whether every run
// stored the codes of the scalar run (the engine without vector functions).
//
// Usage: ExprBench [--rounds R] [--points N]
//                  [--profile [--formula F | --text FORMULA] [--threads T]]
// --profile runs only the engine's vector runs, on one thread or T, for a profiler to look at
// (only the F-th formula with --formula, or one of your own with --text).
#include "app/Prompter.h"
#include "expr/ExprRange.h"
#include "expr/VectorMath.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace tw;

// The engine's texts; the peers' are in eval_rate.py, in the same order.
const char* const kFormulas[] = {
    "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)",
    "amp*sin(omg*p)*cos(5*omg*p)",
    "amp*ln(1+p/per)-amp/2",
};
constexpr int kFormulaCount = 3;

struct Silent : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double LoadAverage() {
    double load[1] = {-1};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Points per second of one evaluation into points (already touched), on the wall clock and in
// the calling thread's processor time; false when refused.
bool Evaluate(const char* formula, std::vector<std::int16_t>& points, unsigned threads,
              double& rate, double* cpuRate = nullptr) {
    ExprParser parser;
    const ExprRange range{
        .start = 0, .end = static_cast<long>(points.size()) - 1, .lo = -8192, .hi = 8191};
    const double cpu = ThreadSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (!EvaluateOverRange(parser, formula, formula, range, points, {.threads = threads}))
        return false;
    rate = static_cast<double>(points.size()) / Seconds(start);
    if (cpuRate)
        *cpuRate = static_cast<double>(points.size()) / (ThreadSeconds() - cpu);
    return true;
}

// One round of the peers: "<way>/<formula>" to points per second, and "peak KiB" of the
// interpreter. OPENBLAS_CORETYPE and OPENBLAS_L2_SIZE are unset for this command alone.
std::map<std::string, double> PeerRound(std::size_t points) {
    const std::string command =
        "env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE /usr/bin/time -f 'peak-KiB %M' "
        "/usr/bin/python3 " TW_SOURCE_DIR "/bench/peers/eval_rate.py --runs 1 --threads 1,2 "
        "--points " +
        std::to_string(points) + " 2>&1";
    std::map<std::string, double> rates;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return rates;
    char name[64], value[64];
    while (std::fscanf(pipe, "%63s %63s", name, value) == 2) {
        char* end = nullptr;
        const double v = std::strtod(value, &end);
        if (*end == '\0' && v > 0)
            rates[name] = v;
    }
    pclose(pipe);
    return rates;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Least(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::size_t count = 16777216;
    bool profile = false;
    int only = 0;
    unsigned threads = 1;
    const char* text = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--profile")
            profile = true;
        else if (i + 1 == argc)
            break;
        else if (a == "--rounds")
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--points")
            count = static_cast<std::size_t>(std::max(1000L, std::atol(argv[++i])));
        else if (a == "--formula")
            only = std::atoi(argv[++i]);
        else if (a == "--text")
            text = argv[++i];
        else if (a == "--threads")
            threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
    }
    static Silent silent;
    setPrompter(&silent);
    const expr::VectorLevel level = expr::BestVectorLevel();
    std::printf("%zu points into 16-bit points, %d rounds; vector functions: %s\n", count, rounds,
                expr::VectorLevelName(level));

    if (profile) {
        std::vector<std::int16_t> points(count, 1);
        for (int round = 0; round < rounds; ++round)
            for (int f = 0; f < kFormulaCount; ++f) {
                if ((only && only != f + 1) || (text && f > 0))
                    continue;
                const char* formula = text ? text : kFormulas[f];
                double rate = 0, cpu = 0;
                Evaluate(formula, points, threads, rate, &cpu);
                std::printf("%s: %.3g points/s, %.3g in processor time (load %.2f)\n", formula,
                            rate, cpu, LoadAverage());
            }
        return 0;
    }

    // The scalar run's codes and rate: the engine as it was before the vector functions.
    std::vector<std::vector<std::int16_t>> expected(kFormulaCount);
    std::vector<std::int16_t> points(count, 1);
    expr::SetVectorLevel(expr::VectorLevel::Scalar);
    for (int f = 0; f < kFormulaCount; ++f) {
        double rate = 0;
        expected[f].assign(count, 0);
        if (!Evaluate(kFormulas[f], expected[f], 1, rate))
            return std::fprintf(stderr, "formula refused: %s\n", kFormulas[f]), 1;
        std::printf("scalar, 1 thread, %s: %.3g points/s (load %.2f)\n", kFormulas[f], rate,
                    LoadAverage());
    }
    expr::SetVectorLevel(level);

    // ours[f][t], peers[f][t] (the best peer of the round), ratio[f][t]; t = threads - 1.
    std::vector<double> ours[kFormulaCount][2], best[kFormulaCount][2], ratio[kFormulaCount][2];
    // One thread against one thread in processor time: ours, numpy's and numexpr's.
    std::vector<double> cpuOurs[kFormulaCount], cpuNumpy[kFormulaCount], cpuNumexpr[kFormulaCount];
    std::vector<double> loads, peaks;
    bool same = true, peersMissing = false;
    for (int round = 0; round < rounds; ++round) {
        double rate[kFormulaCount][2] = {};
        for (int f = 0; f < kFormulaCount; ++f)
            for (unsigned t : {1u, 2u}) {
                double cpu = 0;
                Evaluate(kFormulas[f], points, t, rate[f][t - 1], &cpu);
                if (t == 1)
                    cpuOurs[f].push_back(cpu);
                same = same && points == expected[f];
            }
        const std::map<std::string, double> peer = PeerRound(count);
        loads.push_back(LoadAverage());
        if (peer.contains("peak-KiB"))
            peaks.push_back(peer.at("peak-KiB") / 1024);
        for (int f = 0; f < kFormulaCount; ++f)
            for (int t = 0; t < 2; ++t) {
                const std::string n = std::to_string(f + 1);
                auto of = [&](const std::string& way) {
                    return peer.contains(way) ? peer.at(way) : 0.0;
                };
                // numpy has one thread on any number of cores.
                const double b =
                    std::max(of("numpy/" + n), of("numexpr" + std::to_string(t + 1) + "/" + n));
                peersMissing = peersMissing || b == 0;
                if (t == 0) {
                    cpuNumpy[f].push_back(of("numpy-cpu/" + n));
                    cpuNumexpr[f].push_back(of("numexpr-cpu/" + n));
                }
                ours[f][t].push_back(rate[f][t]);
                best[f][t].push_back(b);
                if (b > 0)
                    ratio[f][t].push_back(rate[f][t] / b);
            }
        std::printf("round %d: load %.2f\n", round + 1, loads.back());
        std::fflush(stdout);
    }

    for (int f = 0; f < kFormulaCount; ++f)
        for (int t = 0; t < 2; ++t)
            std::printf("%s, %d thread%s: ours %.3g points/s (median; least %.3g), best peer %.3g "
                        "(median); ratio least %.2f, median %.2f (goal 3): %s\n",
                        kFormulas[f], t + 1, t ? "s" : "", Median(ours[f][t]), Least(ours[f][t]),
                        Median(best[f][t]), Least(ratio[f][t]), Median(ratio[f][t]),
                        Median(ratio[f][t]) >= 3 ? "met" : "NOT met");
    for (int f = 0; f < kFormulaCount; ++f)
        std::printf("%s, 1 thread in processor time (medians): ours %.3g, numpy %.3g, numexpr "
                    "%.3g points/s; %.2f x the best\n",
                    kFormulas[f], Median(cpuOurs[f]), Median(cpuNumpy[f]), Median(cpuNumexpr[f]),
                    Median(cpuOurs[f]) /
                        std::max({Median(cpuNumpy[f]), Median(cpuNumexpr[f]), 1.0}));
    std::printf("load average per round: least %.2f, median %.2f, most %.2f\n", Least(loads),
                Median(loads), loads.empty() ? 0 : *std::max_element(loads.begin(), loads.end()));
    if (!peaks.empty())
        std::printf("peers' peak memory (/usr/bin/time, numpy and numexpr in one interpreter): "
                    "%.0f MiB\n",
                    Median(peaks));
    if (peersMissing)
        std::printf("some peers not measured: /usr/bin/python3 with python3-numpy and "
                    "python3-numexpr is needed\n");
    std::printf("codes: %s the scalar run's in every round\n", same ? "the same as" : "NOT");
    return same ? 0 : 1;
}
