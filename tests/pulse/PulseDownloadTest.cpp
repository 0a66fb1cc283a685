#include "TrainBuilder.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "document/WaveFormats.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "support/HostRecorder.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tw {
namespace {

struct ScriptedSummary : PulseComposerListener {
    SummaryChoice answer{true, false};
    int shown = 0;
    DownloadSummary last;
    SummaryChoice askSummary(const DownloadSummary& s, const std::string&) override {
        ++shown;
        last = s;
        return answer;
    }
};

class PulseDownloadTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
    test::HostRecorder link{"Consolia"};
    ScriptedSummary summary;
    std::unique_ptr<PulseComposer> composer;

    void SetUp() override { box.set(box.exchange(), "AppTits", "AC", "Consolia"); }
    void TearDown() override { composer.reset(); }
    void makeComposer() {
        composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
        composer->setListener(&summary);
    }
    int channel = 0;
    // The host's active channel, as the composer reads it when it starts.
    void useChannel(int c) {
        channel = c;
        box.set(box.exchange(), "Settings", "ActiveCh", std::to_string(c));
    }
    void start(const std::vector<test::BuiltSection>& train, int mode) {
        test::WriteTrain(box.session(), train, 2, channel);
        WriteGeneralSetting(box.session(), "forceSingSeg", std::to_string(mode), "PulseComp");
        makeComposer();
    }
    std::string seq(const std::string& key) const {
        return box.get(box.exchange(), "PulsSeq", key);
    }
};

// The sections join in one segment with their repeats.
TEST_F(PulseDownloadTest, SingleSegmentSendsTheSegmentAndUpdatesTheChannelSettings) {
    useChannel(1);
    box.set(box.exchange(), "Settings", "Sclk", "1e9 1e9");
    test::ForceClock(box.session(), "1e6");
    start({{kLinkFormat, 2, {{1, 2.048e-3}}}, {kLinkFormat, 1, {{-1, 2.048e-3}}}},
          kSingleSegmentMode);
    std::string stale = box.tmp() + "old.wav";
    WriteFileAtomically(stale, "xx");

    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_FALSE(FileExists(stale));
    std::string segment = box.tmp() + "Seg-1.wav";
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], "Cmd=:FREQ:RAST 1e6;:VOLT 2.000;:VOLT:OFFS 0;:FUNC:MODE USER;"
                            ":TRAC:DEL:ALL\ncmd=:TRAC:DEF 1, 6144;:TRAC:SEL 1\nwav=" +
                                segment);
    std::vector<std::int32_t> highTwiceThenLow(6144, -16383);
    std::fill_n(highTwiceThenLow.begin(), 4096, 16383);
    EXPECT_EQ(ReadNativeFile(segment, PointLayout::Int16).points, highTwiceThenLow);
    EXPECT_FALSE(FileExists(box.tmp() + "Seg-2.wav"));
    EXPECT_EQ(seq("Stp1"), segment);
    EXPECT_EQ(seq("Rpt1"), "1");
    EXPECT_EQ(seq("Stp2"), "<absent>");
    EXPECT_EQ(summary.last.waveformsMode, "Arbitrary");
    EXPECT_EQ(summary.last.steps, "");
    EXPECT_EQ(summary.last.memoryUsage, "6.144e3");
    EXPECT_EQ(summary.last.offset, "0.000");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "Sclk"), "1e9 1e6");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "Ampl"), "2.000");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "WfMode"), "1");
    ASSERT_EQ(link.posted.size(), 1u);
    EXPECT_EQ(link.posted[0], std::make_pair(18L, 1L));
}

TEST_F(PulseDownloadTest, SummaryDecidesWhetherTheTrainIsSent) {
    start({{kLinkFormat, 1, {{1, 16e-6}}}}, kSingleSegmentMode);
    WriteGeneralSetting(box.session(), "hideSumm", "hide", "PulseComp"); // only "Hide" hides it
    summary.answer = {false, false};
    EXPECT_EQ(composer->Download(), kDownloadStopped);
    EXPECT_EQ(summary.shown, 1);
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(box.get(box.exchange(), "Settings", "Ampl"), "<absent>");

    summary.answer = {true, true};
    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_EQ(box.get(box.session().generalIni, "PulseComp", "hideSumm"), "Hide");
    EXPECT_FALSE(composer->IsChecked(kCmdShowPulseSummary));
    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_EQ(summary.shown, 2);
    composer->Execute(kCmdShowPulseSummary);
    EXPECT_TRUE(composer->IsChecked(kCmdShowPulseSummary));

    DownloadSummary s{"2.000", "0.000", "1e6", "16", "16384", "", "Arbitrary"};
    s.memoryUsage = "16.777216e6";
    s.steps = "4096";
    EXPECT_EQ(SummaryAttention(s, composer->limits),
              "Attention: exceeds segment table, memory, sequence table resource(s)");
    s = {"2.000", "0.000", "1e6", "16", "16383", "4095", "Sequenced"};
    EXPECT_EQ(SummaryAttention(s, composer->limits), "");
}

TEST_F(PulseDownloadTest, SegmentsBeyondWhatAWaveformHoldsAreNotWritten) {
    // A 2 s ramp with a 10 ns step needs 100 MS/s: four copies of 200000001 samples in the
    // continuous fallback, 1.6 GB of segment file before the bound.
    start({{kNodeFormat, 1, {{0, 0}, {1, 2}, {1, 2.00000001}}}}, kSequencedMode);
    EXPECT_EQ(composer->Download(), kDownloadImpossible);
    EXPECT_TRUE(box.prompts.sawText(
        "The pulse train needs more than 134217728 samples of segments; it cannot be built."));
    EXPECT_FALSE(FileExists(box.tmp() + "Seg-1.wav"));
    EXPECT_EQ(seq("Stp1"), "<absent>");
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(PulseDownloadTest, WavSaveWritesTheSamplesAndAMasterFileBesideAndTmpAsksFirst) {
    start({{kLinkFormat, 2, {{1, 8e-6}, {-1, 8e-6}}}}, kSequencedMode);
    EXPECT_FALSE(composer->Save()); // no name yet: Save As must ask
    std::string wav = box.root() + "/out.wav";
    ASSERT_TRUE(composer->SaveAs(wav));
    EXPECT_EQ(FileSize(wav), 2 * 2 * 16); // one segment holding both passes
    std::string pls = box.root() + "/out.pls";
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "PulseOrg"), pls);

    WriteSectionKey(box.session(), 0, 0, "Repeat", "3");
    EXPECT_TRUE(composer->Save());
    EXPECT_EQ(box.get(pls, "Pulse0", "Repeat"), "3");

    box.prompts.then(Answer::No);
    EXPECT_FALSE(composer->SaveAs(box.tmp() + "train.pls"));
    EXPECT_EQ(box.prompts.lastText(), "Storing in Temporary folder is not recommended.\nSave ?");
    EXPECT_FALSE(FileExists(box.tmp() + "train.pls"));
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(composer->SaveAs(box.tmp() + "train.pls"));
    EXPECT_EQ(box.get(box.tmp() + "train.pls", "Pulse0", "Repeat"), "3");

    test::WriteTrain(box.session(), {{kNodeFormat, 1, {{1, 0}}}});
    makeComposer();
    EXPECT_FALSE(composer->SaveAs(box.root() + "/bad.wav"));
    EXPECT_FALSE(FileExists(box.root() + "/bad.wav"));
    EXPECT_FALSE(FileExists(box.root() + "/bad.pls"));
}

TEST_F(PulseDownloadTest, OpenReplacesTheTrainDropsItsUndoAndKeepsWithinTheLinks) {
    useChannel(1);
    start({{kLinkFormat, 1, {{1, 8e-6}, {2, 8e-6}}}, {kLinkFormat, 1, {{2, 8e-6}}}},
          kSingleSegmentMode);
    std::string pls = box.root() + "/three-links.pls";
    ASSERT_TRUE(composer->SaveAs(pls));
    useChannel(0);
    // A longer train already on the channel is replaced whole.
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 8e-6}}},
                                     {kLinkFormat, 1, {{1, 8e-6}}},
                                     {kLinkFormat, 1, {{1, 8e-6}}}});
    makeComposer();
    WriteFileAtomically(composer->editor.trainUndoFile(), "[PulseRoot]\nqPls=1\n");
    ASSERT_TRUE(composer->Open(pls));
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "Link0-sub1"), "2");
    EXPECT_EQ(box.get(box.exchange(), "Pulse2-ch1", "SectFmt"), "<absent>");
    EXPECT_EQ(composer->view.sectionCount, 2);
    EXPECT_FALSE(composer->editor.CanUndoTrain());
    EXPECT_EQ(composer->editor.text(0, 1), "1");
    EXPECT_FALSE(composer->Open(box.write("empty.pls", "[PulseRoot]\nDuration=1\n")));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "qPls"), "2");

    box.set(box.descr(), "SegmTbl", "MaxLinkNo", "2");
    makeComposer();
    ASSERT_TRUE(composer->Open(pls));
    EXPECT_EQ(composer->view.sectionCount, 1);
    EXPECT_TRUE(box.prompts.sawText("The train holds more than 2 links, the most the instrument "
                                    "takes: sections 2 to 2 are left out."));
}

// 100 points high: 20 once and 16 five times; 84 low the same way and the last 16 on their own,
// since a flat run must leave a whole minimum segment; the pass played twice.
TEST_F(PulseDownloadTest, SequencedModesWriteTheSequenceTableOrFailWithTheOptionMessage) {
    box.set(box.descr(), "SegmTbl", "MaxSequStp", "3");
    test::ForceClock(box.session(), "1e6");
    start({{kLinkFormat, 2, {{1, 100e-6}, {-1, 100e-6}}}}, kSequencedMode);
    box.set(box.exchange(), "PulsSeq", "Stp1", "stale");
    EXPECT_EQ(composer->Download(), kDownloadImpossible);
    ASSERT_GE(box.prompts.asked.size(), 2u);
    EXPECT_EQ(box.prompts.asked[0].text, "Exceeds max sequence steps\nTry in the Optins another "
                                         "Mode of Operation,\nSee log file");
    EXPECT_NE(ReadWholeFile(box.session().logFile)
                  .value_or("")
                  .find("\n=========Exceeds max sequence steps  Mode of Operation= 0\n"),
              std::string::npos);
    EXPECT_EQ(box.prompts.lastText(), "Unable to download using the selected download "
                                      "option.\nSelect Download Option throgh View>>Options menu.");
    EXPECT_EQ(seq("Stp1"), "<absent>");
    EXPECT_TRUE(link.sent.empty());

    box.set(box.descr(), "SegmTbl", "MaxSequStp", "4096");
    makeComposer();
    ASSERT_EQ(composer->Download(), kDownloadDone);
    ASSERT_EQ(link.sent.size(), 1u);
    const std::string head = "Cmd=:FREQ:RAST 1e6;:VOLT 2.000;:VOLT:OFFS 0;:FUNC:MODE SEQ;"
                             ":TRAC:DEL:ALL";
    EXPECT_EQ(link.sent[0], head + "\nPLS_SEQ=");
    EXPECT_EQ(summary.last.waveformsMode, "Sequenced");
    EXPECT_EQ(summary.last.steps, "10");
    EXPECT_EQ(seq("Rpt2"), "5");
    EXPECT_EQ(seq("Rpt4"), "4");
    EXPECT_EQ(seq("Stp10"), seq("Stp5"));
    EXPECT_EQ(seq("Stp11"), "<absent>");
    EXPECT_TRUE(link.posted.empty());

    // The segment-table export the host reads, byte for byte: ten steps over five segment files,
    // the samples after the text part, whose "Length" says where they begin.
    std::string tss = box.root() + "/train.tss";
    ASSERT_TRUE(composer->SaveAs(tss));
    EXPECT_EQ(ReadWholeFile(tss),
              ReadWholeFile(TW_SOURCE_DIR "/tests/data/pulse/square-sequenced.tss"));
    EXPECT_EQ(box.get(box.tmp() + "tmmp/TempPulse.ini", "SequTbl-CH0-1", "Link10"), "5 1 0 0");
    RemoveFile(box.tmp() + "Seg-3.wav");
    EXPECT_FALSE(composer->SaveAs(tss));
    EXPECT_EQ(box.prompts.asked.back().caption, "Attention");
    EXPECT_EQ(box.prompts.lastText(), "Segment table corrupted, impossible to export file");
    EXPECT_FALSE(FileExists(tss));

    // No host title: the files and settings are still written, nothing is sent.
    profile::DeleteKey(box.exchange(), "AppTits", "AC");
    makeComposer();
    box.prompts.clear();
    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_EQ(link.sent.size(), 1u);
    EXPECT_TRUE(box.prompts.asked.empty());
    EXPECT_EQ(box.get(box.exchange(), "Settings", "WfMode"), "2");
}

TEST(PulseDownload, ChannelSettingsKeepTheOtherChannelsItem) {
    EXPECT_EQ(ChannelSettingText("1e9 1e9", 1, "2e6"), "1e9 2e6 ");
    EXPECT_EQ(ChannelSettingText("1e9 1e9 ", 0, "2e6"), "2e6 1e9 ");
    EXPECT_EQ(ChannelSettingText("5", 1, "2e6"), "2e6 ");
    EXPECT_EQ(ChannelSettingText("", 0, "1"), "1 ");
    DownloadSummary s{"1.000", "0.000", "250e6", "28", "1", "", "Arbitrary"};
    EXPECT_EQ(PulseCommand(kContinuousMode, s, "/t/Seg-1.wav", 28),
              "Cmd=:FREQ:RAST 250e6;:VOLT 1.000;:VOLT:OFFS 0;:FUNC:MODE USER;:TRAC:DEL:ALL;"
              ":INIT:CONT  ON\ncmd=:TRAC:DEF 1, 28;:TRAC:SEL 1\nwav=/t/Seg-1.wav");
}

} // namespace
} // namespace tw
