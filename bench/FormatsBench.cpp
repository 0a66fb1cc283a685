// Reads a 16M-point native file and a 10M-row two-column comma-delimited file, each next to a
// plain std::ifstream (+ std::from_chars) loop over the same file, and prints points per second
// and the ratio of the two times (goals: native within 2x, columns within 3x).
#include "RatioReporter.h"

#include "app/FileUtil.h"
#include "document/WaveFormats.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace tw;

constexpr std::size_t kNativePoints = 16u << 20;
constexpr std::size_t kCsvRows = 10'000'000;

struct BenchFiles {
    std::string root, native, csv;
    BenchFiles() {
        root = (fs::temp_directory_path() / "tw-formats-bench").string();
        fs::remove_all(root);
        CreateFolder(root);
        native = root + "/big.wav";
        csv = root + "/big.csv";
        std::vector<std::int32_t> points(std::max(kNativePoints, kCsvRows));
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] = static_cast<std::int32_t>((i * 7919) % 16384) - 8192;
        WriteNativeFile(native, std::span(points).first(kNativePoints), PointLayout::Int16);
        ExportWaveFile(csv, kCsvCode, std::span(points).first(kCsvRows), {});
    }
    ~BenchFiles() { fs::remove_all(root); }
};

const BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::string data(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    return data;
}

void BM_NativeRead(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        auto r = ReadNativeFile(files.native, PointLayout::Int16);
        if (r.points.size() != kNativePoints)
            state.SkipWithError("wrong point count");
        benchmark::DoNotOptimize(r.points.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kNativePoints));
}
BENCHMARK(BM_NativeRead)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_NativeBaseline(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        std::ifstream in(files.native, std::ios::binary);
        std::vector<std::int16_t> points(kNativePoints);
        in.read(reinterpret_cast<char*>(points.data()),
                static_cast<std::streamsize>(points.size() * 2));
        benchmark::DoNotOptimize(points.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kNativePoints));
}
BENCHMARK(BM_NativeBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CsvImport(benchmark::State& state) {
    const auto& files = Files();
    ImportContext ctx;
    ctx.askDim = 1;
    for (auto _ : state) {
        auto r = ImportWaveFile(files.csv, kCsvCode, ctx);
        if (r.points.size() != kCsvRows)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(r.points.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCsvRows));
}
BENCHMARK(BM_CsvImport)->Unit(benchmark::kMillisecond)->Iterations(3);

// The least a column reader must do: one read, then two from_chars per row.
void BM_CsvBaseline(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        std::string text = Slurp(files.csv);
        std::vector<double> values;
        const char* p = text.data();
        const char* last = p + text.size();
        double index = 0, value = 0;
        while (p != last) {
            p = std::from_chars(p, last, index).ptr;
            p += 2; // ", "
            p = std::from_chars(p, last, value).ptr;
            values.push_back(value);
            while (p != last && (*p == '\r' || *p == '\n'))
                ++p;
        }
        if (values.size() != kCsvRows)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCsvRows));
}
BENCHMARK(BM_CsvBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintRatio(const tw::bench::SecondsReporter& reporter, const char* what, const char* ours,
                const char* base, double points, double goal) {
    const double a = reporter.of(ours), b = reporter.of(base);
    if (a > 0 && b > 0)
        std::printf("%s: %.1f M points/s, baseline %.1f M points/s, ratio %.2f (goal <= %.0f)\n",
                    what, points / a / 1e6, points / b / 1e6, a / b, goal);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio(reporter, "native 16M points", "BM_NativeRead/iterations:5",
               "BM_NativeBaseline/iterations:5", kNativePoints, 2);
    PrintRatio(reporter, "comma-delimited 10M rows", "BM_CsvImport/iterations:3",
               "BM_CsvBaseline/iterations:3", kCsvRows, 3);
    benchmark::Shutdown();
    return 0;
}
