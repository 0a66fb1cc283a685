// The document's operations on a 268,435,456-point segment of the sample instrument TW3256
// (512 MiB of points) against the physical limits measured in the same run: a memcpy of the
// same bytes and a read of the wave's file from the page cache. Goals: a 1,000-point edit
// (Invert, a drawing stroke, the equation editor's formula and a generator dialog over a marked
// range, the first edit after Open) with its undo point and the working file written <= 50 ms,
// a wavelength change <= 0.5 s, Undo <= 0.3 s. Each figure is the minimum and median of several
// rounds, with the load average when it was taken (the machine is shared).
// Then the peak resident memory of each operation, each in a process of its own (goal:
// <= 1.5 x the points' bytes + 100 MiB).
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "expr/EquationEditor.h"
#include "generators/DocGeneratorTarget.h"
#include "generators/WaveParamModel.h"
#include "view/DrawingTools.h"
#include "view/MarkedAreaOps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace tw;

constexpr long kPoints = 268435456;
constexpr long kEditPoints = 1000;
constexpr int kRounds = 5;
const char* const kPeakOperations[] = {"Open", "Save", "SetWavelength", "Undo", "Invert"};

struct Silent : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

std::string& RootFolder() {
    static std::string root = (fs::temp_directory_path() / "tw-document-bench").string();
    return root;
}

std::string WavePath() {
    return RootFolder() + "/wave.wav";
}

// A private tmp folder and the sample instrument TW3256; with `make`, also the wave.
// The benchmark's own session, handed to its composer; its notices go to the silent prompter.
LaunchState& Session() {
    static LaunchState session;
    return session;
}

struct BenchFolder {
    Silent silent;
    explicit BenchFolder(bool make) {
        const std::string& root = RootFolder();
        if (make) {
            fs::remove_all(root);
            CreateFolder(root);
        }
        LaunchState& s = Session();
        s = LaunchState{};
        DeriveLaunchPaths(s, root);
        s.composerId = kStandardComposer;
        s.appName = "Tidewright";
        s.family = "TW3000";
        s.descrFile = root + "/TW3256.ini";
        s.logFile.clear();
        s.reports = &silent;
        if (make) {
            CreateFolder(s.generalFolder);
            if (!CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/instrument/TW3256.ini",
                              s.descrFile))
                std::fprintf(stderr, "cannot copy the instrument TW3256\n");
            MakeWave(WavePath());
        }
        setPrompter(&silent);
    }
    ~BenchFolder() {
        setPrompter(nullptr);
        Session().reports = nullptr;
    }

    static void MakeWave(const std::string& path) {
        std::vector<std::int16_t> block(1 << 20);
        std::ofstream out(path, std::ios::binary);
        for (long done = 0; done < kPoints; done += static_cast<long>(block.size())) {
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<std::int16_t>((done + static_cast<long>(i)) % 65536);
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * 2));
        }
    }
};

// No segment files, undo file or tables from an earlier document.
void FreshSegments() {
    const LaunchState& s = Session();
    fs::remove_all(s.tmpFolder);
    CreateFolder(s.tmpFolder);
    std::ofstream(s.exchangeFile) << "[Instrument]\nDescrFile=" << s.descrFile
                                  << "\nFamily=TW3000\nModel=TW3256\nChannels=2\n"
                                  << "[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
    profile::ClearCache();
}

std::unique_ptr<WeDoc> OpenedDocument() {
    static Composer standard{Session()};
    FreshSegments();
    auto doc = std::make_unique<WeDoc>(standard, prompter());
    LoadActiveSegment(*doc);
    if (!doc->Open({WavePath(), 0}))
        std::fprintf(stderr, "cannot open the wave\n");
    return doc;
}

// The operations as the menu commands, the view and the equation editor run them; false when
// one failed. Each edit takes its undo point first.
long EditStart(int round) {
    return kPoints / 2 + round * 4096L;
}

bool Invert(WeDoc& doc, int round) {
    const long L = EditStart(round), R = L + kEditPoints - 1;
    return doc.SnapshotForUndo() &&
           doc.samples().Write(static_cast<std::size_t>(L), static_cast<std::size_t>(R),
                               [&](SampleSpan s) {
                                   return InvertArea(s, L, R, InvertMirror::AboutZero, 0,
                                                     SampleLimits{doc.vMin(), doc.vMax()});
                               }) &&
           doc.CommitEdit();
}

// A freehand stroke: ten segments of 100 points, one commit.
bool Stroke(WeDoc& doc, int round) {
    if (!doc.SnapshotForUndo())
        return false;
    for (long s = 0; s < 10; ++s) {
        SegmentWrite seg{true, EditStart(round) + s * 100, EditStart(round) + s * 100 + 99,    0,
                         0,    (s % 2 ? -3.0 : 3.0),       1000.0 * static_cast<double>(round)};
        seg.intercept -= seg.slope * static_cast<double>(seg.first);
        doc.samples().Write(static_cast<std::size_t>(seg.first), static_cast<std::size_t>(seg.last),
                            [&](SampleSpan points) { WriteSegment(points, seg); });
    }
    return doc.CommitEdit();
}

// The equation editor's OK over the marked points, as the user runs it.
bool Formula(WeDoc& doc, int round) {
    DocGeneratorTarget target(doc, prompter());
    EquationEditor editor(target);
    editor.Open();
    editor.fields = {static_cast<double>(EditStart(round)),
                     static_cast<double>(EditStart(round) + kEditPoints - 1), -20000, 20000, 1};
    editor.formula = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)";
    return editor.Ok();
}

// The Sine dialog's OK over the marked points.
bool Generator(WeDoc& doc, int round) {
    DocGeneratorTarget target(doc, prompter());
    WaveParamModel sine(Shape::Sine, target);
    sine.Open();
    sine.fields()[0].text = std::to_string(EditStart(round));
    sine.fields()[1].text = std::to_string(EditStart(round) + kEditPoints - 1);
    return sine.Accept();
}

bool ChangeWavelength(WeDoc& doc) {
    const bool full = doc.wavelength() == static_cast<double>(kPoints);
    return doc.SetWavelength(full ? kPoints - doc.limits().resFactor : kPoints);
}

bool Save(WeDoc& doc) {
    doc.SetFileNameFrom(RootFolder() + "/saved.wav");
    return doc.Save() == SaveResult::Saved && doc.pathName() == doc.fileName();
}

double LoadAverage() {
    double load[1] = {-1};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

double Seconds(const std::function<bool()>& run, bool& ok) {
    const auto t0 = std::chrono::steady_clock::now();
    ok = run() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Min and median of the rounds, and the load average after them.
struct Figure {
    double min = 0, median = 0, load = 0;
    bool ok = true;
};

// prepare runs untimed before each round.
Figure Measure(const std::function<bool(int)>& run,
               const std::function<bool(int)>& prepare = nullptr) {
    Figure f;
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        if (prepare)
            f.ok = prepare(round) && f.ok;
        times.push_back(Seconds([&] { return run(round); }, f.ok));
    }
    std::sort(times.begin(), times.end());
    f.min = times.front();
    f.median = times[times.size() / 2];
    f.load = LoadAverage();
    return f;
}

// The bytes of the wave copied in memory, both blocks touched before.
Figure MemcpyLimit() {
    const std::size_t bytes = static_cast<std::size_t>(kPoints) * 2;
    std::vector<char> from(bytes, 1), to(bytes, 0);
    return Measure([&](int) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        return true;
    });
}

// The wave's file read from the page cache into a touched block.
Figure PageCacheReadLimit() {
    const std::size_t bytes = static_cast<std::size_t>(kPoints) * 2;
    std::vector<char> into(bytes, 0);
    return Measure([&](int) {
        const int fd = ::open(WavePath().c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t done = 0;
        while (fd >= 0 && done < bytes) {
            const ssize_t r =
                ::pread(fd, into.data() + done, bytes - done, static_cast<off_t>(done));
            if (r <= 0)
                break;
            done += static_cast<std::size_t>(r);
        }
        if (fd >= 0)
            ::close(fd);
        benchmark::DoNotOptimize(into.data());
        return done == bytes;
    });
}

void Print(const char* name, const Figure& f, double memcpy, double read, double goal) {
    std::printf("  %-34s min %8.1f ms  median %8.1f ms  x memcpy %6.3f  x read %6.3f", name,
                f.min * 1e3, f.median * 1e3, f.median / memcpy, f.median / read);
    if (goal > 0)
        std::printf("  goal <= %4.0f ms %s", goal * 1e3, f.median <= goal ? "met" : "NOT met");
    std::printf("  (load %.2f)%s\n", f.load, f.ok ? "" : "  FAILED");
}

void RunTimes() {
    std::printf("%ld points (%ld MiB), %d rounds each, load average at the start %.2f\n", kPoints,
                kPoints * 2 >> 20, kRounds, LoadAverage());
    const Figure memcpy = MemcpyLimit();
    const Figure read = PageCacheReadLimit();
    std::printf("physical limits, same bytes:\n");
    std::printf("  %-34s min %8.1f ms  median %8.1f ms  (load %.2f)\n", "memcpy", memcpy.min * 1e3,
                memcpy.median * 1e3, memcpy.load);
    std::printf("  %-34s min %8.1f ms  median %8.1f ms  (load %.2f)\n", "read from the page cache",
                read.min * 1e3, read.median * 1e3, read.load);
    const double m = memcpy.median, r = read.median;

    std::printf("document operations:\n");
    auto doc = OpenedDocument();
    Print("Open", Measure([&](int) { return doc->Open({WavePath(), 0}); }), m, r, 0);
    // Open starts the working file's copy; the first edit waits for it when it comes at once.
    Print("first edit at once after Open",
          Measure([&](int round) { return Invert(*doc, round); },
                  [&](int) {
                      return doc->Open({WavePath(), 0});
                  }),
          m, r, 0);
    Figure copied = Measure(
        [&](int) {
            while (doc->CopyingWorkingFile())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return true;
        },
        [&](int) {
            return doc->Open({WavePath(), 0});
        });
    Print("working file copied after Open", copied, m, r, 0);
    Print("first edit once the copy is made",
          Measure([&](int round) { return Invert(*doc, round); },
                  [&](int) {
                      const bool opened = doc->Open({WavePath(), 0});
                      while (doc->CopyingWorkingFile())
                          std::this_thread::sleep_for(std::chrono::milliseconds(5));
                      return opened;
                  }),
          m, r, 0.05);
    Print("Invert of 1,000 points", Measure([&](int round) { return Invert(*doc, round); }), m, r,
          0.05);
    Print("drawing stroke of 1,000 points", Measure([&](int round) { return Stroke(*doc, round); }),
          m, r, 0.05);
    Print("formula over 1,000 marked points",
          Measure([&](int round) { return Formula(*doc, round); }), m, r, 0.05);
    Print("generator over 1,000 marked points",
          Measure([&](int round) { return Generator(*doc, round); }), m, r, 0.05);
    Print("wavelength change (-/+ 32 points)", Measure([&](int) { return ChangeWavelength(*doc); }),
          m, r, 0.5);
    Print("Undo of an Invert",
          Measure([&](int) { return doc->Undo(); }, [&](int round) { return Invert(*doc, round); }),
          m, r, 0.3);
    Print("Undo of a wavelength change",
          Measure([&](int) { return doc->Undo(); }, [&](int) { return ChangeWavelength(*doc); }), m,
          r, 0.3);
    Print("Save", Measure([&](int) { return Save(*doc); }), m, r, 0);
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
int MeasureInChild(const std::string& operation) {
    BenchFolder folder(false);
    auto doc = OpenedDocument();
    bool done = doc->wavelength() == static_cast<double>(kPoints);
    if (operation == "Save")
        done = done && Save(*doc);
    else if (operation == "SetWavelength")
        done = done && ChangeWavelength(*doc);
    else if (operation == "Undo")
        done = done && Invert(*doc, 0) && Invert(*doc, 1) && doc->Undo();
    else if (operation == "Invert")
        done = done && Invert(*doc, 0) && Invert(*doc, 1);
    else if (operation != "Open")
        done = false;
    std::printf("%ld\n", done ? PeakResidentKib() : -1);
    return done ? 0 : 1;
}

long PeakOfChild(const char* exe, const char* operation) {
    const std::string command = std::string("'") + exe + "' --peak-of " + operation;
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

void PrintPeaks(const char* exe) {
    const double mib = static_cast<double>(kPoints) * 2 / (1 << 20);
    const double goal = 1.5 * mib + 100;
    std::printf("peak resident memory, one process per operation (goal <= %.0f MiB):\n", goal);
    for (const char* name : kPeakOperations) {
        const long kib = PeakOfChild(exe, name);
        if (kib < 0) {
            std::printf("  %-13s failed\n", name);
            continue;
        }
        const double peak = static_cast<double>(kib) / 1024;
        std::printf("  %-13s %7.1f MiB, %.2f x the points' bytes, %s\n", name, peak, peak / mib,
                    peak <= goal ? "met" : "NOT met");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-of") == 0)
        return MeasureInChild(argv[2]);
    int status = 0;
    {
        BenchFolder folder(true);
        RunTimes();
        char exe[4096] = {};
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0)
            PrintPeaks(exe);
        else
            status = 1;
    }
    fs::remove_all(RootFolder());
    return status;
}
