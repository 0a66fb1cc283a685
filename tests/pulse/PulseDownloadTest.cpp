#include "TrainBuilder.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "support/HostRecorder.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <memory>

namespace tw {
namespace {

struct ScriptedSummary : PulseComposerListener {
    SummaryChoice answer{true, false};
    int shown = 0;
    DownloadSummary last;
    std::string attention;
    SummaryChoice askSummary(const DownloadSummary& s, const std::string& a) override {
        ++shown;
        last = s;
        attention = a;
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
    // A composer over the stored train whose download summary the test answers.
    void makeComposer() {
        composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
        composer->setListener(&summary);
    }
    void forceClock(const char* clock) const {
        box.set(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal", "1");
        box.set(box.exchange(), "PulseRoot-ch1", "forceSclk", clock);
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

TEST_F(PulseDownloadTest, SingleSegmentSendsTheSegmentAndUpdatesTheChannelSettings) {
    useChannel(1);
    box.set(box.exchange(), "Settings", "Sclk", "1e9 1e9");
    forceClock("1e6");
    start({{kLinkFormat, 1, {{1, 2.048e-3}, {-1, 2.048e-3}}}}, kSingleSegmentMode);
    std::string stale = box.tmp() + "old.wav";
    WriteFileAtomically(stale, "xx");

    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_FALSE(FileExists(stale));
    std::string segment = box.tmp() + "Seg-1.wav";
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], "Cmd=:FREQ:RAST 1e6;:VOLT 2.000;:VOLT:OFFS 0;:FUNC:MODE USER;"
                            ":TRAC:DEL:ALL\ncmd=:TRAC:DEF 1, 4096;:TRAC:SEL 1\nwav=" +
                                segment);
    EXPECT_EQ(FileSize(segment), 8192);
    EXPECT_EQ(summary.last.waveformsMode, "Arbitrary");
    EXPECT_EQ(summary.last.steps, "");
    EXPECT_EQ(summary.last.memoryUsage, "4.096e3");
    EXPECT_EQ(summary.last.offset, "0.000");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "Sclk"), "1e9 1e6");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "Ampl"), "2.000");
    EXPECT_EQ(box.get(box.exchange(), "Settings", "WfMode"), "1");
    ASSERT_EQ(link.posted.size(), 1u);
    EXPECT_EQ(link.posted[0], std::make_pair(18L, 1L));
}

TEST_F(PulseDownloadTest, SequencedModesNameTheSequenceTable) {
    forceClock("1e6");
    start({{kLinkFormat, 2, {{1, 100e-6}, {-1, 100e-6}}}}, kSequencedMode);
    ASSERT_EQ(composer->Download(), kDownloadDone);
    ASSERT_EQ(link.sent.size(), 1u);
    const std::string head = "Cmd=:FREQ:RAST 1e6;:VOLT 2.000;:VOLT:OFFS 0;:FUNC:MODE SEQ;"
                             ":TRAC:DEL:ALL";
    EXPECT_EQ(link.sent[0], head + "\nPLS_SEQ=");
    EXPECT_EQ(summary.last.waveformsMode, "Sequenced");
    // 100 points high: 20 once and 16 five times; 84 low the same way and the last 16 on their
    // own, since a flat run must leave a whole minimum segment; the pass played twice.
    EXPECT_EQ(summary.last.steps, "10");
    EXPECT_EQ(seq("Rpt2"), "5");
    EXPECT_EQ(seq("Rpt4"), "4");
    EXPECT_EQ(seq("Stp10"), seq("Stp5"));
    EXPECT_EQ(seq("Stp11"), "<absent>");
    EXPECT_TRUE(link.posted.empty());

    WriteGeneralSetting(box.session(), "forceSingSeg", "2", "PulseComp");
    ASSERT_EQ(composer->Download(), kDownloadDone);
    EXPECT_EQ(link.sent[1], head + "\nPLS_SEQ=");
    EXPECT_EQ(summary.last.steps, "1");
    EXPECT_EQ(seq("Rpt1"), "2");
    EXPECT_EQ(seq("Stp2"), "<absent>");
}

TEST_F(PulseDownloadTest, SingleSegmentJoinsTheSectionsWithTheirRepeats) {
    start({{kLinkFormat, 2, {{1, 8e-6}}}, {kLinkFormat, 1, {{-1, 8e-6}}}}, kSingleSegmentMode);
    ASSERT_EQ(composer->Download(), kDownloadDone);
    auto bytes = ReadWholeFile(box.tmp() + "Seg-1.wav").value_or("");
    ASSERT_EQ(bytes.size(), 2u * 3 * 8);
    auto sample = [&](size_t i) {
        return static_cast<short>(static_cast<unsigned char>(bytes[2 * i]) |
                                  static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    EXPECT_EQ(sample(0), 16383);
    EXPECT_EQ(sample(15), 16383);
    EXPECT_EQ(sample(16), -16383);
    EXPECT_FALSE(FileExists(box.tmp() + "Seg-2.wav"));
    EXPECT_EQ(seq("Stp1"), box.tmp() + "Seg-1.wav");
    EXPECT_EQ(seq("Rpt1"), "1");
    EXPECT_EQ(seq("Stp2"), "<absent>");
    EXPECT_EQ(summary.last.memoryUsage, "24");
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
    EXPECT_EQ(SummaryAttention(s, composer->limits),
              "Attention: exceeds segment table resource(s)");
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

TEST_F(PulseDownloadTest, FailuresEndWithTheDownloadOptionMessage) {
    box.set(box.descr(), "SegmTbl", "MaxSequStp", "3");
    forceClock("1e6");
    start({{kLinkFormat, 2, {{1, 100e-6}, {-1, 100e-6}}}}, kSequencedMode);
    box.set(box.exchange(), "PulsSeq", "Stp1", "stale");
    EXPECT_EQ(composer->Download(), kDownloadImpossible);
    ASSERT_GE(box.prompts.asked.size(), 2u);
    EXPECT_NE(box.prompts.asked[0].text.find("Exceeds max sequence steps"), std::string::npos);
    EXPECT_EQ(box.prompts.lastText(), "Unable to download using the selected download "
                                      "option.\nSelect Download Option throgh View>>Options menu.");
    EXPECT_EQ(seq("Stp1"), "<absent>");
    EXPECT_TRUE(link.sent.empty());

    // No host title: the files and settings are still written, nothing is sent.
    box.set(box.descr(), "SegmTbl", "MaxSequStp", "4096");
    profile::DeleteKey(box.exchange(), "AppTits", "AC");
    makeComposer();
    box.prompts.clear();
    EXPECT_EQ(composer->Download(), kDownloadDone);
    EXPECT_TRUE(link.sent.empty());
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
