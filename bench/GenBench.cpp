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

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const double base = reporter.of("BM_PlainSinLoop"); base > 0)
        for (const char* name : {"BM_Sine", "BM_Pulse"})
            if (const double s = reporter.of(name); s > 0)
                std::printf("%s: %.3f s for %zu points, %.3g points/s, %.2f x the plain sin loop "
                            "(%.3g points/s)\n",
                            name, s, kPoints, static_cast<double>(kPoints) / s, s / base,
                            static_cast<double>(kPoints) / base);
    benchmark::Shutdown();
    return 0;
}
