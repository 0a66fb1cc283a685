// Compiles, segments and writes a pulse train of 1,000 and of 10,000 links and prints the ratio
// of the two times: the work should grow linearly with the train.
#include "RatioReporter.h"

#include "../tests/pulse/TrainBuilder.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "pulse/PulseLimits.h"
#include "pulse/TrainCompiler.h"
#include "pulse/TrainSegmenter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace tw;

struct BenchFolder {
    std::string root;
    LaunchState s;
    BenchFolder() {
        root = (fs::temp_directory_path() / "tw-pulse-bench").string();
        fs::remove_all(root);
        DeriveLaunchPaths(s, root);
        s.composerId = kPulseComposer;
        s.appName = "Trainsmith";
        CreateFolder(s.tmpFolder);
        CreateFolder(s.generalFolder);
        s.descrFile = root + "/TW2014.ini";
        std::ofstream(s.descrFile) << "[Axis]\nHRange=1000 16 16777216\nVpts=0 16383\n"
                                      "resFactor=4\n[ParmLst]\nSclk=SCLK 100e6 10 250e6\n"
                                      "Ampl=Amplitude Vpp 0.05 10\n[SegmTbl]\nMaxLinkNo=16384\n"
                                      "MaxLoopNo=1000000\nMaxSequStp=100000\n"
                                      "MinSequLoopTime=1e-6\n";
        std::ofstream(s.exchangeFile)
            << "[Instrument]\nDescrFile=" << s.descrFile << "\n[Settings]\nActiveCh=0\n";
        profile::ClearCache();
    }
    ~BenchFolder() { fs::remove_all(root); }
};

// Sections of 100 DC links of 1 to 4 us on four levels: sequenced mode cuts them into short
// stretches and flat runs, so every part of the segmentation runs.
void writeTrain(const LaunchState& session, int sections) {
    std::vector<test::BuiltSection> train(static_cast<size_t>(sections));
    for (int i = 0; i < sections; ++i)
        for (int r = 0; r < 100; ++r)
            train[static_cast<size_t>(i)].rows.push_back(
                {0.5 * ((r + i) % 4) - 0.75, 1e-6 * (1 + (r * 7 + i) % 4)});
    for (auto& s : train)
        s.format = kLinkFormat;
    test::WriteTrain(session, train);
}

void BM_CompileAndSegment(benchmark::State& state) {
    BenchFolder folder;
    writeTrain(folder.s, static_cast<int>(state.range(0)));
    PulseLimits limits = LoadPulseLimits(folder.s);
    size_t steps = 0;
    for (auto _ : state) {
        TrainCompiler compiler(limits, 0, folder.s, prompter());
        compiler.mode = kSequencedMode;
        if (compiler.RunClockLoop(0) != TrainCompiler::kCompiled)
            state.SkipWithError("compilation failed");
        TrainSegmenter segmenter(compiler, kSequencedMode);
        if (segmenter.BuildSequenced() != 1)
            state.SkipWithError("segmentation failed");
        segmenter.WriteSequenceTable();
        steps = segmenter.steps.size();
    }
    state.counters["links"] = static_cast<double>(state.range(0) * 100);
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_CompileAndSegment)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tw::bench::SecondsReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double small = reporter.of("BM_CompileAndSegment/10");
    const double large = reporter.of("BM_CompileAndSegment/100");
    if (small > 0 && large > 0)
        std::printf("1k links: %.2f ms, 10k links: %.2f ms, ratio %.2f (linear: 10)\n", small * 1e3,
                    large * 1e3, large / small);
    benchmark::Shutdown();
    return 0;
}
