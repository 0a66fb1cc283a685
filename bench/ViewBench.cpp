// Paints the waveform view offscreen at 1600x900 for waves of 1k, 16M and 256M points, with and
// without Show Peaks, and prints each paint's time and its ratio to the plain 1k-point paint
// (goal: within 2x). Then the peak summary's update after a 1,000-point edit of the 256M-point
// wave (goal: under 1 ms), beside the summary's full build of that wave. The 256M-point runs
// need about 1 GiB of free memory and are skipped, with a line saying so, without it.
#include "RatioReporter.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/PeakSummary.h"
#include "document/WeDoc.h"
#include "view/qt/WeditVw.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr long k1k = 1000;
constexpr long k16M = 1L << 24;
constexpr long k256M = 1L << 28;
constexpr long kEdit = 1000;

struct Bench {
    std::string root;
    tw::LaunchState session; // the benchmark's own, handed to its composer
    tw::Composer composer{session};
    std::unique_ptr<tw::WeDoc> doc;
    std::unique_ptr<tw::WeditVw> view;

    Bench() {
        root = (fs::temp_directory_path() / "tw-viewbench").string();
        fs::remove_all(root);
        tw::LaunchState& s = session;
        tw::DeriveLaunchPaths(s, root);
        tw::CreateFolder(s.tmpFolder);
        tw::CreateFolder(s.generalFolder);
        s.descrFile = root + "/TW2014.ini";
        std::ofstream(s.descrFile) << "[Axis]\nHRange=1000 16 16777216\nVpts=0 16383\n"
                                      "resFactor=4\n[ParmLst]\nAcSeg=Segment Number 1 16384\n";
        std::ofstream(s.exchangeFile)
            << "[Instrument]\nDescrFile=" << s.descrFile
            << "\nFamily=TW2000\nModel=TW2014\nChannels=2\n[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
        s.family = "TW2000";
        doc = std::make_unique<tw::WeDoc>(composer, tw::prompter());
        view = std::make_unique<tw::WeditVw>(composer, *doc);
        view->resize(1600, 900);
        view->show(); // lays the plot out
    }
    ~Bench() {
        view.reset();
        doc.reset();
        fs::remove_all(root);
    }

    // Two periods of a sine with a ripple on it, filled once per length.
    void fill(std::size_t points) {
        if (doc->samples().size() == points)
            return;
        doc->Allocate(0); // the old points go before the new ones come
        doc->Allocate(points);
        std::array<std::int16_t, 4096> table;
        for (std::size_t k = 0; k < table.size(); ++k)
            table[k] = static_cast<std::int16_t>(
                8192 + 6000 * std::sin(6.2832 * static_cast<double>(k) / table.size()));
        doc->samples().Write(0, tw::Samples::kLast, [&](tw::SampleSpan wave) {
            auto& all = std::get<std::span<std::int16_t>>(wave);
            const std::size_t step = std::max<std::size_t>(points / 2 / table.size(), 1);
            for (std::size_t i = 0; i < points; ++i)
                all[i] = static_cast<std::int16_t>(table[(i / step) % table.size()] +
                                                   static_cast<int>(i % 64) - 32);
        });
        doc->samples().TakePending();
        view->resetRange();
    }
};

// Made in main, after the application object and gone before it.
Bench* theBench = nullptr;

Bench& TheBench() {
    return *theBench;
}

void BM_Paint(benchmark::State& state) {
    Bench& bench = TheBench();
    bench.fill(static_cast<std::size_t>(state.range(0)));
    bench.view->setShowPeaks(state.range(1) != 0);
    QImage image(1600, 900, QImage::Format_RGB32);
    auto paint = [&] {
        QPainter painter(&image);
        bench.view->render(painter, QRect(0, 0, 1600, 900), false);
    };
    paint(); // the first peak paint pools the points once
    if (const char* shots = std::getenv("TW_VIEWBENCH_SHOTS"))
        image.save(
            QString("%1/paint-%2-%3.png").arg(shots).arg(state.range(0)).arg(state.range(1)));
    for (auto _ : state) {
        paint();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["points"] = static_cast<double>(state.range(0));
}

// The summary's update after points [first, first + 999] changed, somewhere new each time.
void BM_SummaryUpdate(benchmark::State& state) {
    Bench& bench = TheBench();
    bench.fill(static_cast<std::size_t>(state.range(0)));
    const tw::SampleView points = bench.doc->samples().view();
    tw::PeakSummary summary;
    summary.Build(points, {});
    std::size_t first = 0;
    for (auto _ : state) {
        first = (first + 7919 * kEdit) % static_cast<std::size_t>(state.range(0) - kEdit);
        summary.Update(points, first, first + kEdit - 1);
        benchmark::DoNotOptimize(summary.levels().data());
    }
}

// The baseline of the update: pooling every point of the wave.
void BM_SummaryBuild(benchmark::State& state) {
    Bench& bench = TheBench();
    bench.fill(static_cast<std::size_t>(state.range(0)));
    tw::PeakSummary summary;
    for (auto _ : state) {
        summary.Build(bench.doc->samples().view(), {});
        benchmark::DoNotOptimize(summary.levels().data());
    }
}

// The edit as the document makes it: the points inverted through Samples::Write, which updates
// the view's summary.
void BM_Edit(benchmark::State& state) {
    Bench& bench = TheBench();
    bench.fill(static_cast<std::size_t>(state.range(0)));
    tw::Samples& samples = bench.doc->samples();
    samples.peaks();
    std::size_t first = 0;
    for (auto _ : state) {
        first = (first + 7919 * kEdit) % static_cast<std::size_t>(state.range(0) - kEdit);
        samples.Write(first, first + kEdit - 1, [first](tw::SampleSpan wave) {
            auto& all = std::get<std::span<std::int16_t>>(wave);
            for (std::size_t i = first; i < first + kEdit; ++i)
                all[i] = static_cast<std::int16_t>(-all[i]);
        });
    }
    samples.TakePending();
}

// MemAvailable of /proc/meminfo in MiB, or -1 when unknown.
long AvailableMiB() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    long kib = 0;
    std::string unit;
    while (in >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib / 1024;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TIDEWRIGHT_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Bench bench;
    theBench = &bench;
    const long available = AvailableMiB();
    const bool large = available < 0 || available >= 1024;
    std::vector<long> sizes{k1k, k16M};
    if (large)
        sizes.push_back(k256M);
    for (long points : sizes)
        for (int peaks : {0, 1})
            benchmark::RegisterBenchmark("BM_Paint", BM_Paint)
                ->Args({points, peaks})
                ->Unit(benchmark::kMillisecond);
    if (large) {
        benchmark::RegisterBenchmark("BM_SummaryUpdate", BM_SummaryUpdate)
            ->Arg(k256M)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_Edit", BM_Edit)->Arg(k256M)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_SummaryBuild", BM_SummaryBuild)
            ->Arg(k256M)
            ->Unit(benchmark::kMillisecond);
    }
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double base = reporter.of("BM_Paint/1000/0");
    if (base > 0) {
        std::printf("paint per frame at 1600x900 (goal: each within 2x the plain 1k paint)\n");
        for (long points : sizes)
            for (int peaks : {0, 1}) {
                const double t =
                    reporter.of("BM_Paint/" + std::to_string(points) + "/" + std::to_string(peaks));
                if (t > 0)
                    std::printf("  %9ld points, peaks %-3s %7.2f ms, ratio %.2f %s\n", points,
                                peaks ? "on" : "off", t * 1e3, t / base,
                                t / base <= 2 ? "(met)" : "(NOT met)");
            }
    }
    if (!large)
        std::printf("256M points: skipped, %ld MiB of memory available (needs 1024 MiB)\n",
                    available);
    const std::string n = std::to_string(k256M);
    const double update = reporter.of("BM_SummaryUpdate/" + n);
    const double build = reporter.of("BM_SummaryBuild/" + n);
    const double edit = reporter.of("BM_Edit/" + n);
    if (update > 0 && build > 0)
        std::printf("summary update after a 1,000-point edit of 256M points: %.2f us %s (goal: "
                    "under 1 ms); the full build %.1f ms, ratio %.6f; the whole edit with its "
                    "update %.2f us\n",
                    update * 1e6, update < 1e-3 ? "(met)" : "(NOT met)", build * 1e3,
                    update / build, edit * 1e6);
    benchmark::Shutdown();
    return 0;
}
