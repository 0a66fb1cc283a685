#include "SimProcess.h"

#include "app/ProfileFile.h"

#include <fstream>
#include <iterator>

namespace tw {
namespace {

using test::Ask;
using test::Points;
using test::ReadBack;

// Each composer's download message, as the composers write it, carried out on the simulated
// TW2014 by its profile: the instrument is left holding the composer's files and sequence.
class ComposerMessagesTest : public ::testing::Test {
  protected:
    test::TempFolder folder;
    test::SimProcess sim{{"--npy", (folder.path / "out.npy").string()}};
    InstrumentSession session = test::Connect(sim, Profile());
    std::string exchange = folder.write("TempOndex.ondex", "[Settings]\nActiveCh=0\n");

    static InstrumentProfile Profile() {
        ProfileLoad load = FindInstrumentProfile(TW_SOURCE_DIR "/data/instrument", "TW2014");
        EXPECT_TRUE(load.profile) << load.error;
        return load.profile.value_or(InstrumentProfile{});
    }
    void run(const std::string& message) {
        Outcome o = session.execute(message, exchange);
        ASSERT_TRUE(o.ok()) << message << "\n" << o.message();
    }
    std::string segment(int channel, int number) {
        EXPECT_TRUE(session.write(":INST:SEL " + std::to_string(channel)).ok());
        EXPECT_TRUE(session.write(":TRAC:SEL " + std::to_string(number)).ok());
        return ReadBack(session, ":TRAC:DATA?");
    }
};

TEST_F(ComposerMessagesTest, StandardAndCombinedDownloadsFillTheirSegments) {
    const std::string wave = Points(1000), lower = Points(512, 1), higher = Points(512, 2);
    run("Cmd=:TRAC:TYPE arb;:TRAC:DEF 3,1000;:TRAC:SEL 3\nWav=" + folder.write("TemS3.wa0", wave));
    EXPECT_EQ(Ask(session, ":TRAC:TYPE?"), "ARB");
    EXPECT_TRUE(segment(1, 3) == wave);
    // Combined mode on channel index 1: the segment holds both channels' points, lower first.
    run("Cmd=:INST:SEL 2;:TRAC:DEF 2,1024;:TRAC:SEL 2\nWav=" + folder.write("TemS2.wa0", lower) +
        "&" + folder.write("TemS2.wa1", higher));
    EXPECT_TRUE(segment(2, 2) == lower + higher);
}

TEST_F(ComposerMessagesTest, FmAndFpSegmentDownloadsStoreTheFmWave) {
    const std::string fm = Points(2048); // 1024 32-bit frequencies
    run("FMwav=" + folder.write("FmWave.wvf", fm) + "\nCmd=:FM:DEV 1e6");
    EXPECT_TRUE(ReadBack(session, ":FM:DATA?") == fm);
    const std::string records = Points(3000); // 1000 6-byte records
    run("FMwav=" + folder.write("FmSeg5.wfp", records) + "\nCmd=:FM:SEGM:DEF 5, 1000\n");
    EXPECT_TRUE(ReadBack(session, ":FM:DATA?") == records);
    EXPECT_EQ(Ask(session, ":FM:SEGM:DEF? 5"), "1000");
}

TEST_F(ComposerMessagesTest, PulseModesLeaveTheSequenceAndSegmentsOfPulsSeq) {
    const std::string head = "Cmd=:FREQ:RAST 100e6;:VOLT 2;:VOLT:OFFS 0;:FUNC:MODE ";
    const std::string seg1 = Points(400, 1), seg2 = Points(384, 2), seg3 = Points(1000, 3);
    const std::string f1 = folder.write("Seg-1.wav", seg1), f2 = folder.write("Seg-2.wav", seg2),
                      f3 = folder.write("Seg-3.wav", seg3);
    // Mode 0: the steps come from "PulsSeq"; a file played twice is one segment.
    ASSERT_TRUE(profile::WriteSection(exchange, "PulsSeq",
                                      {"Stp1=" + f1, "Rpt1=1", "Stp2=" + f2, "Rpt2=25",
                                       "Stp3=" + f3, "Rpt3=1", "Stp4=" + f2, "Rpt4=3"}));
    run(head + "SEQ;:TRAC:DEL:ALL\nPLS_SEQ=");
    EXPECT_EQ(Ask(session, ":FUNC:MODE?"), "SEQ");
    EXPECT_EQ(Ask(session, ":FREQ:RAST?"), "100000000");
    EXPECT_EQ(Ask(session, ":SEQ:CAT?"), "1,1,2,25,3,1,2,3");
    EXPECT_TRUE(segment(1, 1) == seg1 && segment(1, 2) == seg2 && segment(1, 3) == seg3);
    // The output is the sequence expanded.
    run("Cmd=:OUTP ON");
    std::string expanded = seg1;
    for (int i = 0; i < 25; ++i)
        expanded += seg2;
    expanded += seg3 + seg2 + seg2 + seg2;
    std::ifstream npy(folder.path / "out.npy", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(npy)), {});
    ASSERT_GT(saved.size(), 128u);
    EXPECT_EQ(saved.substr(saved.size() - expanded.size()), expanded);
    EXPECT_EQ((saved.size() - expanded.size()) % 64, 0u); // the header fills 64-byte lines

    // Mode 2 sends only its commands; modes 1 and 5 one segment by "cmd=" and "wav=".
    run(head + "SEQ;:TRAC:DEL:ALL");
    EXPECT_EQ(Ask(session, ":TRAC:CAT?"), "0,0");
    run(head + "USER;:TRAC:DEL:ALL\ncmd=:TRAC:DEF 1, 1000;:TRAC:SEL 1\nwav=" + f3);
    EXPECT_EQ(Ask(session, ":FUNC:MODE?"), "USER");
    EXPECT_EQ(Ask(session, ":TRAC:CAT?"), "1,1000");
    run(head + "USER;:TRAC:DEL:ALL;:INIT:CONT  ON\ncmd=:TRAC:DEF 1, 400;:TRAC:SEL 1\nwav=" + f1);
    EXPECT_EQ(Ask(session, ":INIT:CONT?"), "1");
    EXPECT_TRUE(segment(1, 1) == seg1);
}

} // namespace
} // namespace tw
