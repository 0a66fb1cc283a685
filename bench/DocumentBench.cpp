// Opens a 16,777,216-point native waveform file, changes the wavelength and undoes, and prints
// each one's points per second and its ratio to a plain std::ifstream read of the same file.
#include "RatioReporter.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tw;

constexpr long kPoints = 16777216;

struct Silent : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

// A private tmp folder, an instrument that allows 16M points, and the 16M-point file.
struct BenchFolder {
    std::string root, wave;
    Silent silent;
    BenchFolder() {
        root = (fs::temp_directory_path() / "tw-document-bench").string();
        fs::remove_all(root);
        LaunchState s;
        DeriveLaunchPaths(s, root);
        s.composerId = kStandardComposer;
        s.appName = "Tidewright";
        CreateFolder(s.tmpFolder);
        CreateFolder(s.generalFolder);
        s.descrFile = root + "/TW2014.ini";
        s.family = "TW2000";
        std::ofstream(s.descrFile) << "[Axis]\nHRange=1000 16 16777216\nVpts=0 16383\n"
                                      "resFactor=4\n[ParmLst]\nAcSeg=Segment Number 1 16384\n";
        std::ofstream(s.exchangeFile) << "[Instrument]\nDescrFile=" << s.descrFile
                                      << "\nFamily=TW2000\nModel=TW2014\nChannels=2\n"
                                      << "[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
        s.logFile.clear();
        SetLaunchState(s);
        profile::ClearCache();
        setPrompter(&silent);
        wave = root + "/big.wav";
        std::vector<std::int16_t> values(kPoints);
        for (long i = 0; i < kPoints; ++i)
            values[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 16384);
        std::ofstream(wave, std::ios::binary)
            .write(reinterpret_cast<const char*>(values.data()),
                   static_cast<std::streamsize>(values.size() * 2));
    }
    ~BenchFolder() {
        setPrompter(nullptr);
        fs::remove_all(root);
    }
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

std::unique_ptr<WeDoc> openedDocument() {
    static Composer standard;
    auto doc = std::make_unique<WeDoc>(standard);
    LoadActiveSegment(*doc);
    doc->Open(folder().wave, 0);
    return doc;
}

void BM_PlainRead(benchmark::State& state) {
    const std::string& path = folder().wave;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::int16_t> values(static_cast<std::size_t>(fs::file_size(path) / 2));
        in.read(reinterpret_cast<char*>(values.data()),
                static_cast<std::streamsize>(values.size() * 2));
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(kPoints),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Open(benchmark::State& state) {
    auto doc = openedDocument();
    for (auto _ : state) {
        if (!doc->Open(folder().wave, 0))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(doc->samples().at(0));
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(kPoints),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SetWavelength(benchmark::State& state) {
    auto doc = openedDocument();
    bool shorter = true;
    for (auto _ : state) {
        doc->SetWavelength(shorter ? kPoints - 4 : kPoints);
        shorter = !shorter;
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(kPoints),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Undo(benchmark::State& state) {
    auto doc = openedDocument();
    doc->CommitEdit();
    for (auto _ : state) {
        state.PauseTiming();
        doc->SnapshotForUndo(); // lands as the undo file with the change written after it
        doc->CommitEdit();
        state.ResumeTiming();
        if (!doc->Undo())
            state.SkipWithError("undo failed");
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(kPoints),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetWavelength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    folder();
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const double base = reporter.of("BM_PlainRead"); base > 0) {
        std::printf("plain read of %ld points: %.1f ms, %.3g points/s\n", kPoints, base * 1e3,
                    kPoints / base);
        for (const char* name : {"BM_Open", "BM_SetWavelength", "BM_Undo"})
            if (const double s = reporter.of(name); s > 0)
                std::printf("%-17s %.1f ms, %.3g points/s, ratio to plain read %.2f (goal 2)\n",
                            name + 3, s * 1e3, kPoints / s, s / base);
    }
    benchmark::Shutdown();
    return 0;
}
