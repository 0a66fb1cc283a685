// Each composer's download message, made by the composer's own download code, carried out on the
// simulated TW2014 by its profile: the instrument is left holding the composer's files and
// sequence table.
#include "SimProcess.h"

#include "app/FileUtil.h"
#include "app/ProfileStore.h"
#include "document/DocFixture.h"
#include "document/WaveDownload.h"
#include "host/ExchangeFile.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainBuilder.h"

#include <functional>
#include <sstream>

namespace tw {
namespace {

using test::Ask;
using test::ReadBack;

// One composer in its own sandbox, with the host's texts recorded.
struct ComposerRun {
    explicit ComposerRun(int composerId) : box(composerId) {
        box.set(box.exchange(), "AppTits", "AC", "Consolia");
    }
    test::Sandbox box;
    test::HostRecorder link{"Consolia"};
    test::CountingListener seen;
    std::unique_ptr<Composer> composer;
    std::unique_ptr<WeDoc> doc;

    WeDoc& start(std::unique_ptr<Composer> c) {
        composer = std::move(c);
        doc = std::make_unique<WeDoc>(*composer, box.prompts);
        doc->setListener(&seen);
        LoadActiveSegment(*doc);
        return *doc;
    }
    // A committed wave of `points` points in the active segment, different for each salt.
    void compose(std::size_t points, int salt) {
        doc->SetWavelength(points);
        for (std::size_t i = 0; i < points; ++i)
            test::Put(doc->samples(), i, static_cast<std::int32_t>((i * 37 + salt * 1009) % 16000));
        doc->CommitEdit();
    }
    std::string file(const std::string& name) const { return box.tmp() + name; }
};

// What the instrument should hold afterwards: a segment (of the selected channel) equal to
// files joined, or the FM memory equal to a file.
struct Holds {
    int segment; // 0: the FM memory
    std::vector<std::string> files;
};

struct Row {
    const char* name;
    int composerId;
    std::function<std::vector<Holds>(ComposerRun&)> download;
    std::vector<std::pair<std::string, std::string>> answers; // query, answer
};

std::vector<Holds> PulseDownload(ComposerRun& run, int mode) {
    run.box.set(run.box.exchange(), "PulseRoot-ch1", "frcSclk_toVal", "1");
    run.box.set(run.box.exchange(), "PulseRoot-ch1", "forceSclk", "1e6");
    // High 100 us, low 60 us, played twice: sequenced modes cut it into several segments.
    test::WriteTrain(run.box.session(), {{kLinkFormat, 2, {{1, 100e-6}, {-1, 60e-6}}}}, 2, 0);
    WriteGeneralSetting(run.box.session(), "forceSingSeg", std::to_string(mode % 5),
                        kPulseSettings);
    auto composer = std::make_unique<PulseComposer>(run.box.session(), run.box.prompts);
    PulseComposer& pulse = *composer;
    run.start(std::move(composer));
    PulseComposerListener accepts;
    pulse.setListener(&accepts);
    if (mode == kContinuousMode) {
        EXPECT_EQ(DownloadTrain(pulse.editor, accepts, kContinuousMode, false), kDownloadDone);
        return {{1, {run.file("Seg-1.wav")}}};
    }
    EXPECT_EQ(pulse.Download(), kDownloadDone);
    return {}; // the sequence table names them
}

const Row kRows[] = {
    {"two-channel",
     0,
     [](ComposerRun& run) -> std::vector<Holds> {
         WeDoc& doc = run.start(std::make_unique<Composer>(run.box.session()));
         run.compose(512, 1);
         doc.SelectChannel(1);
         run.compose(512, 2);
         run.box.set(run.box.exchange(), "Settings", "DwnMode", "1");
         run.box.set(run.box.descr(), "ParmPnlName", "DwnMode", "Single Combined");
         DownloadWaveform(doc);
         return {{1, {run.file("TemS1.wa0"), run.file("TemS1.wa1")}}};
     },
     {{":TRAC:DEF? 1", "1024"}}},
    {"FM",
     kFmComposer,
     [](ComposerRun& run) -> std::vector<Holds> {
         WeDoc& doc = run.start(std::make_unique<FmComposer>(run.box.session()));
         run.compose(1024, 3);
         DownloadWaveform(doc);
         return {{0, {run.file("FmDef.wvf")}}};
     },
     {}},
    {"FP segment",
     kFmComposer,
     [](ComposerRun& run) -> std::vector<Holds> {
         run.box.useFpSegments(2);
         run.box.set(run.box.exchange(), "Settings", "ModCarFrq", "100e6");
         WeDoc& doc = run.start(std::make_unique<FmComposer>(run.box.session()));
         run.compose(300, 4);
         DownloadWaveform(doc);
         const std::string sent = run.link.sent.back();
         return {{0, {sent.substr(6, sent.find('\n') - 6)}}};
     },
     {{":FM:SEGM:DEF? 2", "300"}}},
    {"pulse mode 0",
     2,
     [](ComposerRun& run) { return PulseDownload(run, kSequencedMode); },
     {{":FUNC:MODE?", "SEQ"}, {":FREQ:RAST?", "1000000"}}},
    {"pulse mode 5",
     2,
     [](ComposerRun& run) { return PulseDownload(run, kContinuousMode); },
     {{":FUNC:MODE?", "USER"}, {":INIT:CONT?", "1"}}},
};

std::string Joined(const std::vector<std::string>& files) {
    std::string bytes;
    for (const std::string& f : files)
        bytes += ReadWholeFile(f).value_or("<unreadable " + f + ">");
    return bytes;
}

TEST(ComposerDownloads, LeaveTheInstrumentHoldingTheComposersFilesAndSequence) {
    test::SimProcess sim;
    ProfileLoad profile = FindInstrumentProfile(TW_SOURCE_DIR "/data/instrument", "TW2014");
    ASSERT_TRUE(profile.profile) << profile.error;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        InstrumentSession session = test::Connect(sim, *profile.profile);
        ASSERT_TRUE(session.write("*RST").ok());
        ComposerRun run(row.composerId);
        const std::vector<Holds> holds = row.download(run);
        ASSERT_FALSE(run.link.sent.empty());
        for (const std::string& message : run.link.sent) {
            Outcome o = session.execute(message, run.box.exchange());
            ASSERT_TRUE(o.ok()) << message << "\n" << o.message();
        }
        for (const Holds& h : holds) {
            if (h.segment) {
                ASSERT_TRUE(session.write(":TRAC:SEL " + std::to_string(h.segment)).ok());
            }
            const std::string back = ReadBack(session, h.segment ? ":TRAC:DATA?" : ":FM:DATA?");
            EXPECT_TRUE(back == Joined(h.files)) << h.segment << ": " << back.size() << " bytes";
        }
        for (const auto& [query, answer] : row.answers)
            EXPECT_EQ(Ask(session, query), answer);

        // Every step of "PulsSeq" plays its file as often as it says.
        if (run.link.sent.back().find("PLS_SEQ=") == std::string::npos)
            continue;
        const auto steps = ExchangeFile::PulseSequence::ReadFrom(run.box.exchange());
        std::istringstream table(Ask(session, ":SEQ:CAT?"));
        std::size_t count = 0;
        for (std::string segment, repeat;
             std::getline(table, segment, ',') && std::getline(table, repeat, ','); ++count) {
            ASSERT_LT(count, steps.size());
            EXPECT_EQ(repeat, steps[count].repeat) << "step " << count + 1;
            ASSERT_TRUE(session.write(":TRAC:SEL " + segment).ok());
            EXPECT_TRUE(ReadBack(session, ":TRAC:DATA?") == Joined({steps[count].path}))
                << "step " << count + 1;
        }
        EXPECT_EQ(count, steps.size());
    }
}

} // namespace
} // namespace tw
