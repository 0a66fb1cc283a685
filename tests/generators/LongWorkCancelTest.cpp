// Every long operation of the document reports its progress, and a cancel midway leaves the
// wave, its working file and its undo point exactly as they were.
#include "document/DocFixture.h"

#include "document/WaveFormats.h"
#include "generators/CardiacEcg.h"
#include "generators/DcWaveModel.h"
#include "generators/DocGeneratorTarget.h"
#include "generators/PwmModel.h"
#include "generators/WaveParamModel.h"

#include <functional>
#include <memory>

namespace tw {
namespace {

// Says stop at its first report from the second half of the work.
struct CancelHalfway : Progress {
    int reports = 0;
    bool cancelled = false;
    bool advance(std::uint64_t done, std::uint64_t total) override {
        ++reports;
        cancelled = cancelled || (done > 0 && 2 * done >= total);
        return !cancelled;
    }
};

// Hands every generation of a generator model the test's progress.
DocGeneratorTarget::Hooks ReportingTo(Progress& progress) {
    DocGeneratorTarget::Hooks hooks;
    hooks.startProgress = [&progress]() -> std::unique_ptr<Progress> {
        struct Forward : Progress {
            Progress& to;
            explicit Forward(Progress& p) : to(p) {}
            bool advance(std::uint64_t d, std::uint64_t t) override { return to.advance(d, t); }
        };
        return std::make_unique<Forward>(progress);
    };
    return hooks;
}

// Leaves the generation itself untold: only the commit after OK reports to the test.
DocGeneratorTarget::Hooks CommitReportingTo(Progress& progress) {
    DocGeneratorTarget::Hooks hooks = ReportingTo(progress);
    hooks.startProgress = [started = 0, forward = hooks.startProgress]() mutable {
        return ++started == 1 ? nullptr : forward();
    };
    return hooks;
}

class LongWorkCancel : public test::DocFixture {};

// More points than one piece of any of the operations' work.
constexpr std::size_t kPoints = 6'000'000;

TEST_F(LongWorkCancel, ACancelMidwayLeavesWaveWorkingFileAndUndoAsTheyWere) {
    start();
    doc->samples().Assign(kPoints, 0);
    doc->samples().Write(0, Samples::kLast, [](SampleSpan points) {
        auto all = std::get<std::span<std::int16_t>>(points);
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<std::int16_t>(i % 1000) - 500;
    });
    ASSERT_TRUE(doc->CommitEdit());
    const std::string out = box.root() + "/out";
    const std::string native = box.root() + "/native.wav";
    const std::string columns = box.root() + "/columns.csv";
    std::vector<std::int32_t> other(kPoints, 77);
    ASSERT_TRUE(WriteNativeFile(native, other, PointLayout::Int16));
    ASSERT_TRUE(ExportWaveFile(columns, kCsvCode, other, {}));

    using Run = std::function<void(WeDoc&, Progress&)>;
    // A generator's dialog on the document, its generation reporting to the test.
    const auto dialog = [this](std::function<void(GeneratorTarget&)> use) -> Run {
        return [this, use](WeDoc& d, Progress& p) {
            DocGeneratorTarget target(d, box.prompts, ReportingTo(p));
            use(target);
        };
    };
    const struct {
        const char* name;
        Run run;
        std::string written = {}; // a file the operation would have made
    } operations[] = {
        // Save As writes a native file as Save does.
        {"Save",
         [&](WeDoc& d, Progress& p) {
             d.SetFileNameFrom(out + ".wav");
             EXPECT_EQ(d.Save(p), SaveResult::Saved);
         },
         out + ".wav"},
        {"Save As, comma-delimited",
         [&](WeDoc& d, Progress& p) { EXPECT_FALSE(d.SaveAs(out + ".csv", kCsvCode, p)); },
         out + ".csv"},
        {"Open, native",
         [&](WeDoc& d, Progress& p) {
             EXPECT_FALSE(d.Open({native, kNativeCode}, p));
         }},
        {"Open, comma-delimited",
         [&](WeDoc& d, Progress& p) {
             EXPECT_FALSE(d.Open({columns, kCsvCode}, p));
         },
         ConvertedPathFor(columns, kCsvCode, PointLayout::Int16)},
        {"Wavelength",
         [&](WeDoc& d, Progress& p) { EXPECT_FALSE(d.SetWavelength(2 * kPoints, p)); }},
        {"Cardiac ECG", dialog([](GeneratorTarget& t) {
             CardiacEcgModel m(t);
             m.Open();
             EXPECT_EQ(m.Preview(), CardiacEcgModel::Outcome::Refused);
         })},
        {"DC", dialog([](GeneratorTarget& t) {
             DcWaveModel m(t);
             m.Open();
             EXPECT_FALSE(m.Accept());
         })},
        {"Sine", dialog([](GeneratorTarget& t) {
             WaveParamModel m(Shape::Sine, t);
             m.Open();
             EXPECT_FALSE(m.Accept());
         })},
        {"Sine, writing the wave after OK",
         [&](WeDoc& d, Progress& p) {
             DocGeneratorTarget target(d, box.prompts, CommitReportingTo(p));
             WaveParamModel m(Shape::Sine, target);
             m.Open();
             EXPECT_TRUE(m.Accept());
         }},
        {"PWM", dialog([](GeneratorTarget& t) {
             PwmModel m(t);
             m.Open();
             EXPECT_EQ(m.Calculate(), PwmStatus::Stopped);
         })},
    };
    const std::string working = doc->ActiveWorkingFile();
    const std::vector<std::int32_t> points = test::Values(doc->samples());
    const std::optional<std::string> file = ReadWholeFile(working);
    const std::optional<std::string> undo = ReadWholeFile(doc->undoFile());
    const bool couldUndo = doc->CanUndo();
    for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        CancelHalfway progress;
        op.run(*doc, progress);
        EXPECT_TRUE(progress.cancelled) << "the work reached its second half";
        EXPECT_GE(progress.reports, 2);
        EXPECT_EQ(test::Values(doc->samples()), points);
        EXPECT_FALSE(doc->samples().pending());
        EXPECT_EQ(ReadWholeFile(working), file);
        EXPECT_EQ(ReadWholeFile(doc->undoFile()), undo);
        EXPECT_EQ(doc->CanUndo(), couldUndo);
        EXPECT_EQ(doc->ActiveWorkingFile(), working);
        if (!op.written.empty()) {
            EXPECT_FALSE(FileExists(op.written));
        }
        EXPECT_TRUE(box.prompts.asked.empty()) << "a cancel is no failure to report";
        box.prompts.clear();
    }
}

} // namespace
} // namespace tw
