// Paints the waveform view offscreen at 1600x900 for waves of 1k, 1M and 16M points and prints
// the time per frame and the 16M/1k ratio. The trace samples one point per plot column, so the
// ratio should stay close to 1 (goal: below 2).
#include "RatioReporter.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/WeDoc.h"
#include "view/qt/WeditVw.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;

struct Bench {
    std::string root;
    tw::Composer composer;
    std::unique_ptr<tw::WeDoc> doc;
    std::unique_ptr<tw::WeditVw> view;

    Bench() {
        root = (fs::temp_directory_path() / "tw-viewbench").string();
        fs::remove_all(root);
        tw::LaunchState s;
        tw::DeriveLaunchPaths(s, root);
        tw::CreateFolder(s.tmpFolder);
        tw::CreateFolder(s.generalFolder);
        const std::string source = fs::path(__FILE__).parent_path().parent_path().string();
        s.descrFile = root + "/TW2014.ini";
        tw::CopyFileOver(source + "/data/instrument/TW2014.ini", s.descrFile);
        std::ofstream(s.exchangeFile)
            << "[Instrument]\nDescrFile=" << s.descrFile
            << "\nFamily=TW2000\nModel=TW2014\nChannels=2\n[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
        s.family = "TW2000";
        tw::SetLaunchState(s);
        doc = std::make_unique<tw::WeDoc>(composer);
        view = std::make_unique<tw::WeditVw>(composer);
        view->resize(1600, 900);
        view->setDocument(doc.get());
    }
    ~Bench() {
        view.reset();
        doc.reset();
        fs::remove_all(root);
    }

    void fill(std::size_t points) {
        doc->Allocate(points);
        doc->samples().Write(0, tw::Samples::kLast, [points](tw::SampleSpan wave) {
            std::visit(
                [points](auto all) {
                    using Sample = typename decltype(all)::value_type;
                    for (std::size_t i = 0; i < points; ++i)
                        all[i] = tw::ToStored<Sample>(static_cast<std::int32_t>(
                            6000 * std::sin(static_cast<double>(i) * 12.566 /
                                            static_cast<double>(points))));
                },
                wave);
        });
        view->resetRange();
    }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

void BM_PaintView(benchmark::State& state) {
    Bench& bench = TheBench();
    bench.fill(static_cast<std::size_t>(state.range(0)));
    QImage image(1600, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        bench.view->render(painter, QRect(0, 0, 1600, 900), false);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["points"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_PaintView)->Arg(1000)->Arg(1 << 20)->Arg(1 << 24)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TIDEWRIGHT_NONINTERACTIVE", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double small = reporter.of("BM_PaintView/1000");
    const double large = reporter.of("BM_PaintView/16777216");
    if (small > 0 && large > 0)
        std::printf("paint per frame: 1k points %.2f ms, 16M points %.2f ms, ratio %.2f "
                    "(goal: below 2)\n",
                    small * 1e3, large * 1e3, large / small);
    benchmark::Shutdown();
    return 0;
}
