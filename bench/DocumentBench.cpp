// Open, Save, a wavelength change, Undo and an Invert of 1,000 points of a 16,777,216- and a
// 268,435,456-point document of the sample instrument TW3256, each as a ratio to a plain
// std::ifstream read (Open, Undo) or std::ofstream write (the others) of the same file in the
// same run (goal: every ratio <= 2). Then the peak resident memory of each operation on each
// document, each in a process of its own so that peaks do not mix (goal for 256M points:
// <= 1.5 x the points' bytes + 100 MiB).
#include "RatioReporter.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "view/MarkedAreaOps.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace tw;

constexpr long kSizes[] = {16777216, 268435456};
constexpr long kInvertPoints = 1000;
const char* const kOperations[] = {"Open", "Save", "SetWavelength", "Undo", "Invert"};

struct Silent : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

std::string WavePath(const std::string& root, long points) {
    return root + "/wave" + std::to_string(points) + ".wav";
}

// A private tmp folder and the sample instrument TW3256; with `make`, also the waves.
struct BenchFolder {
    std::string root;
    Silent silent;
    BenchFolder(std::string at, bool make) : root(std::move(at)) {
        if (make) {
            fs::remove_all(root);
            CreateFolder(root);
        }
        LaunchState s;
        DeriveLaunchPaths(s, root);
        s.composerId = kStandardComposer;
        s.appName = "Tidewright";
        s.family = "TW3000";
        s.descrFile = root + "/TW3256.ini";
        s.logFile.clear();
        if (make) {
            CreateFolder(s.generalFolder);
            if (!CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/instrument/TW3256.ini",
                              s.descrFile))
                std::fprintf(stderr, "cannot copy the instrument TW3256\n");
            for (long points : kSizes)
                MakeWave(WavePath(root, points), points);
        }
        SetLaunchState(s);
        setPrompter(&silent);
    }
    ~BenchFolder() { setPrompter(nullptr); }

    // No segment files, undo file or tables from an earlier document: each starts as a new
    // segment of the instrument's initial length.
    static void FreshSegments() {
        const LaunchState& s = launch();
        fs::remove_all(s.tmpFolder);
        CreateFolder(s.tmpFolder);
        std::ofstream(s.exchangeFile) << "[Instrument]\nDescrFile=" << s.descrFile
                                      << "\nFamily=TW3000\nModel=TW3256\nChannels=2\n"
                                      << "[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
        profile::ClearCache();
    }

    static void MakeWave(const std::string& path, long points) {
        std::vector<std::int16_t> block(1 << 20);
        std::ofstream out(path, std::ios::binary);
        for (long done = 0; done < points; done += static_cast<long>(block.size())) {
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<std::int16_t>((done + static_cast<long>(i)) % 65536);
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * 2));
        }
    }
};

std::string& RootFolder() {
    static std::string root = (fs::temp_directory_path() / "tw-document-bench").string();
    return root;
}

std::unique_ptr<WeDoc> OpenedDocument(long points) {
    static Composer standard;
    BenchFolder::FreshSegments();
    auto doc = std::make_unique<WeDoc>(standard);
    LoadActiveSegment(*doc);
    if (!doc->Open(WavePath(RootFolder(), points), 0))
        std::fprintf(stderr, "cannot open the %ld-point wave\n", points);
    return doc;
}

// The operations as the menu commands and the view run them; false when one failed.
bool Save(WeDoc& doc) {
    doc.fileName = RootFolder() + "/saved.wav";
    return doc.Save() == SaveResult::Saved && doc.pathName == doc.fileName;
}

bool ChangeWavelength(WeDoc& doc, long points, bool& shorter) {
    shorter = !shorter;
    return doc.SetWavelength(shorter ? points - doc.resFactor : points);
}

bool Invert(WeDoc& doc, long points) {
    const long L = points / 2, R = L + kInvertPoints - 1;
    if (!doc.SnapshotForUndo())
        return false;
    return doc.samples().Write(static_cast<std::size_t>(L), static_cast<std::size_t>(R),
                               [&](SampleSpan s) {
                                   return InvertArea(s, L, R, InvertMirror::AboutZero, 0,
                                                     SampleLimits{doc.vMin, doc.vMax});
                               }) &&
           doc.CommitEdit();
}

// An undo file that lands with the edit written after it.
bool PrepareUndo(WeDoc& doc) {
    return doc.SnapshotForUndo() && doc.CommitEdit();
}

void SetRate(benchmark::State& state, long points) {
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PlainRead(benchmark::State& state) {
    const long points = state.range(0);
    const std::string path = WavePath(RootFolder(), points);
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::int16_t> values(static_cast<std::size_t>(fs::file_size(path) / 2));
        in.read(reinterpret_cast<char*>(values.data()),
                static_cast<std::streamsize>(values.size() * 2));
        benchmark::DoNotOptimize(values.data());
    }
    SetRate(state, points);
}

void BM_PlainWrite(benchmark::State& state) {
    const long points = state.range(0);
    std::vector<std::int16_t> values(static_cast<std::size_t>(points));
    std::ifstream(WavePath(RootFolder(), points), std::ios::binary)
        .read(reinterpret_cast<char*>(values.data()),
              static_cast<std::streamsize>(values.size() * 2));
    const std::string path = RootFolder() + "/plain.wav";
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(values.data()),
                  static_cast<std::streamsize>(values.size() * 2));
        out.close();
        if (!out)
            state.SkipWithError("plain write failed");
    }
    SetRate(state, points);
}

void BM_Open(benchmark::State& state) {
    const long points = state.range(0);
    auto doc = OpenedDocument(points);
    for (auto _ : state)
        if (!doc->Open(WavePath(RootFolder(), points), 0))
            state.SkipWithError("open failed");
    SetRate(state, points);
}

void BM_Save(benchmark::State& state) {
    const long points = state.range(0);
    auto doc = OpenedDocument(points);
    for (auto _ : state)
        if (!Save(*doc))
            state.SkipWithError("save failed");
    SetRate(state, points);
}

void BM_SetWavelength(benchmark::State& state) {
    const long points = state.range(0);
    auto doc = OpenedDocument(points);
    bool shorter = false;
    for (auto _ : state)
        if (!ChangeWavelength(*doc, points, shorter))
            state.SkipWithError("wavelength change failed");
    SetRate(state, points);
}

void BM_Undo(benchmark::State& state) {
    const long points = state.range(0);
    auto doc = OpenedDocument(points);
    for (auto _ : state) {
        state.PauseTiming();
        const bool prepared = PrepareUndo(*doc);
        state.ResumeTiming();
        if (!prepared || !doc->Undo())
            state.SkipWithError("undo failed");
    }
    SetRate(state, points);
}

void BM_Invert(benchmark::State& state) {
    const long points = state.range(0);
    auto doc = OpenedDocument(points);
    for (auto _ : state)
        if (!Invert(*doc, points))
            state.SkipWithError("invert failed");
    SetRate(state, points);
}

void RegisterAll() {
    using Bench = void (*)(benchmark::State&);
    const std::pair<const char*, Bench> all[] = {
        {"PlainRead", BM_PlainRead}, {"PlainWrite", BM_PlainWrite},       {"Open", BM_Open},
        {"Save", BM_Save},           {"SetWavelength", BM_SetWavelength}, {"Undo", BM_Undo},
        {"Invert", BM_Invert}};
    for (long points : kSizes)
        for (const auto& [name, bench] : all)
            benchmark::RegisterBenchmark(name, bench)
                ->Arg(points)
                ->Iterations(points > kSizes[0] ? 3 : 10)
                ->Unit(benchmark::kMillisecond);
}

std::string Key(const char* name, long points) {
    return std::string(name) + "/" + std::to_string(points) +
           "/iterations:" + (points > kSizes[0] ? "3" : "10");
}

// "VmHWM" of this process, in kiB.
long PeakResidentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// One operation on a freshly opened document, in a process of its own; prints the peak.
int MeasureInChild(const std::string& operation, long points) {
    BenchFolder folder(RootFolder(), false);
    auto doc = OpenedDocument(points);
    bool shorter = false, done = doc->wavelength() == static_cast<double>(points);
    if (operation == "Save")
        done = done && Save(*doc);
    else if (operation == "SetWavelength")
        done = done && ChangeWavelength(*doc, points, shorter);
    else if (operation == "Undo")
        done = done && PrepareUndo(*doc) && doc->Undo();
    else if (operation == "Invert")
        done = done && Invert(*doc, points);
    else if (operation != "Open")
        done = false;
    std::printf("%ld\n", done ? PeakResidentKib() : -1);
    return done ? 0 : 1;
}

long PeakOfChild(const char* exe, const char* operation, long points) {
    const std::string command =
        std::string("'") + exe + "' --peak-of " + operation + " " + std::to_string(points);
    FILE* child = ::popen(command.c_str(), "r");
    long kib = -1;
    if (child) {
        if (std::fscanf(child, "%ld", &kib) != 1)
            kib = -1;
        if (::pclose(child) != 0)
            kib = -1;
    }
    return kib;
}

void PrintRatios(const tw::bench::SecondsReporter& reporter) {
    bool met = true;
    for (long points : kSizes) {
        const double read = reporter.of(Key("PlainRead", points));
        const double write = reporter.of(Key("PlainWrite", points));
        if (read <= 0 || write <= 0)
            continue;
        std::printf("\n%ld points (%ld MiB): plain read %.1f ms, plain write %.1f ms\n", points,
                    points * 2 >> 20, read * 1e3, write * 1e3);
        for (const char* name : kOperations) {
            const bool reads = std::strcmp(name, "Open") == 0 || std::strcmp(name, "Undo") == 0;
            const double s = reporter.of(Key(name, points));
            if (s <= 0)
                continue;
            const double ratio = s / (reads ? read : write);
            met = met && ratio <= 2;
            std::printf("  %-13s %8.1f ms, %.3g points/s, ratio to plain %s %.2f (goal <= 2)\n",
                        name, s * 1e3, static_cast<double>(points) / s, reads ? "read " : "write",
                        ratio);
        }
    }
    std::printf("time goal (every ratio <= 2): %s\n", met ? "met" : "NOT met");
}

void PrintPeaks(const char* exe) {
    bool met = true;
    for (long points : kSizes) {
        const double mib = static_cast<double>(points) * 2 / (1 << 20);
        const double goal = 1.5 * mib + 100;
        std::printf("\npeak resident memory, %ld-point document (%.0f MiB of points), one "
                    "process per operation:\n",
                    points, mib);
        for (const char* name : kOperations) {
            const long kib = PeakOfChild(exe, name, points);
            if (kib < 0) {
                std::printf("  %-13s failed\n", name);
                met = false;
                continue;
            }
            const double peak = static_cast<double>(kib) / 1024;
            if (points == kSizes[1])
                met = met && peak <= goal;
            std::printf("  %-13s %7.1f MiB, %.2f x the points' bytes%s\n", name, peak, peak / mib,
                        points == kSizes[1] ? "" : " (no goal)");
        }
        if (points == kSizes[1])
            std::printf("  goal: <= 1.5 x %.0f MiB + 100 MiB = %.0f MiB\n", mib, goal);
    }
    std::printf("memory goal: %s\n", met ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-of") == 0)
        return MeasureInChild(argv[2], std::atol(argv[3]));
    benchmark::Initialize(&argc, argv);
    int status = 0;
    {
        BenchFolder folder(RootFolder(), true);
        RegisterAll();
        tw::bench::SecondsReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintRatios(reporter);
        char exe[4096] = {};
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0)
            PrintPeaks(exe);
        else
            status = 1;
    }
    fs::remove_all(RootFolder());
    benchmark::Shutdown();
    return status;
}
