// Fills 16,777,216 points with a sine and with a pulse and prints points per second against a
// plain std::sin loop over the same array, measured in the same run.
#include "RatioReporter.h"

#include "generators/ShapeFormulas.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using namespace tw;

constexpr size_t kPoints = 16777216;

std::vector<std::int32_t>& Wave() {
    static std::vector<std::int32_t> wave(kPoints);
    return wave;
}

void BM_PlainSinLoop(benchmark::State& state) {
    auto& wave = Wave();
    const double step = 2 * 3.14159265358979323846 * 4 / static_cast<double>(kPoints);
    for (auto _ : state) {
        for (size_t i = 0; i < kPoints; ++i)
            wave[i] =
                static_cast<std::int32_t>(std::sin(static_cast<double>(i) * step) * 8191 + 8191.5);
        benchmark::DoNotOptimize(wave.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}
BENCHMARK(BM_PlainSinLoop)->Unit(benchmark::kMillisecond);

void Generate(benchmark::State& state, Shape shape, std::array<double, 5> p) {
    auto& wave = Wave();
    for (auto _ : state) {
        ShapeRequest r;
        r.shape = shape;
        r.end = kPoints - 1;
        r.max = 16383;
        r.p = p;
        GenerateShape(wave, r);
        benchmark::DoNotOptimize(wave.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

void BM_Sine(benchmark::State& state) {
    Generate(state, Shape::Sine, {4, 0, 1});
}
BENCHMARK(BM_Sine)->Unit(benchmark::kMillisecond);

void BM_Pulse(benchmark::State& state) {
    Generate(state, Shape::Pulse, {4, 10, 5, 40, 5});
}
BENCHMARK(BM_Pulse)->Unit(benchmark::kMillisecond);

using RatioReporter = tw::bench::SecondsReporter;

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto base = reporter.seconds.find("BM_PlainSinLoop");
    if (base != reporter.seconds.end()) {
        for (const char* name : {"BM_Sine", "BM_Pulse"}) {
            auto it = reporter.seconds.find(name);
            if (it == reporter.seconds.end())
                continue;
            std::printf("%s: %.3f s for %zu points, %.3g points/s, %.2f x the plain sin loop "
                        "(%.3g points/s)\n",
                        name, it->second, kPoints, static_cast<double>(kPoints) / it->second,
                        it->second / base->second, static_cast<double>(kPoints) / base->second);
        }
    }
    benchmark::Shutdown();
    return 0;
}
