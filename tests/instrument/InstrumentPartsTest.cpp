#include "instrument/BlockWriter.h"
#include "instrument/HostMessage.h"
#include "instrument/InstrumentProfile.h"
#include "instrument/Resource.h"

#include "app/ProfileFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tw {
namespace {

TEST(InstrumentResource, TextsParseIntoTransportsOrAreRefusedWithTheReason) {
    struct Case {
        const char* text;
        const char* parsed; // ResourceText of the result, or a part of the error
        bool ok;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1", "tcp://127.0.0.1:5025", true},
        {"tcp://localhost:6000/", "tcp://localhost:6000", true},
        {"tcp://[::1]:7000", "tcp://[::1]:7000", true},
        {"vxi11://127.0.0.1", "vxi11://127.0.0.1/inst0", true},
        {"vxi11://127.0.0.1:9000/gpib0,5", "vxi11://127.0.0.1:9000/gpib0,5", true},
        {"usbtmc:///dev/usbtmc0", "usbtmc:///dev/usbtmc0", true},
        {"tcp://127.0.0.1:0", "port must be a number from 1 to 65535", false},
        {"tcp://:5025", "no host", false},
        {"tcp://[::1", "closing ']'", false},
        {"usbtmc://dev/usbtmc0", "needs the device file", false},
        {"TCPIP0::127.0.0.1::SOCKET", "must begin with tcp://", false},
    };
    for (const Case& c : cases) {
        ResourceParse p = ParseResource(c.text);
        ASSERT_EQ(p.resource.has_value(), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(ResourceText(*p.resource), c.parsed);
        else
            EXPECT_NE(p.error.find(c.parsed), std::string::npos) << p.error;
    }
}

TEST(InstrumentBlocks, HeaderCountsTheLengthDigits) {
    EXPECT_EQ(BlockHeader(0), "#10");
    EXPECT_EQ(BlockHeader(18), "#218");
    EXPECT_EQ(BlockHeader(2'000'000), "#72000000");
    EXPECT_EQ(BlockHeader(999'999'999), "#9999999999");
    EXPECT_EQ(BlockHeader(1'000'000'000), ""); // ten digits do not fit one count digit
}

// The shipped profiles agree with the descriptions they stand beside.
TEST(InstrumentProfiles, SampleProfilesMatchTheirDescriptions) {
    for (const char* model : {"TW2014", "TW3256"}) {
        const std::string folder = TW_SOURCE_DIR "/data/instrument";
        ProfileLoad load = FindInstrumentProfile(folder, model);
        ASSERT_TRUE(load.profile) << load.error;
        const InstrumentProfile& p = *load.profile;
        const std::string descr = folder + "/" + model + ".ini";
        double initial = 0, low = 0, high = 0;
        std::istringstream(profile::GetValue(descr, "Axis", "HRange").value_or("")) >> initial >>
            low >> high;
        EXPECT_EQ(p.minPoints, static_cast<std::int64_t>(low)) << model;
        EXPECT_EQ(p.maxBlockBytes, static_cast<std::uint64_t>(high) * 2) << model;
        EXPECT_EQ(std::to_string(p.granularity), profile::GetValue(descr, "Axis", "resFactor"));
        EXPECT_EQ(std::to_string(p.maxSequenceSteps),
                  profile::GetValue(descr, "SegmTbl", "MaxSequStp"));
        EXPECT_EQ(p.identity, std::string("Tidewell,") + model + ",");
    }
}

TEST(InstrumentProfiles, LengthRulesAreNamedWhenBroken) {
    InstrumentProfile p;
    p.model = "TW2014";
    p.minPoints = 16;
    p.granularity = 4;
    p.maxBlockBytes = 64;
    EXPECT_EQ(CheckWaveLength(p, 32, "w"), "");
    EXPECT_EQ(CheckWaveLength(p, 33, "w"),
              "w holds 33 bytes, not a whole number of 2-byte points (the TW2014 profile's "
              "PointBytes)");
    EXPECT_EQ(CheckWaveLength(p, 24, "w"), "w has 12 points; the TW2014 profile's MinPoints is 16");
    EXPECT_EQ(CheckWaveLength(p, 36, "w"),
              "w has 18 points, not a multiple of the TW2014 profile's Granularity 4");
    EXPECT_EQ(CheckWaveLength(p, 72, "w"),
              "w holds 72 bytes; the TW2014 profile's MaxBlockBytes is 64");
}

TEST(InstrumentHostMessages, ComposerLinesBecomeActionsAndBadLinesAreRefused) {
    HostMessageParse p =
        ParseHostMessage("Cmd=:TRAC:DEF 1,1024;:TRAC:SEL 1\nWav=/t/a.wa0&/t/b.wa1\nFMwav=/t/f.wvf\n"
                         "cmd=:INIT:CONT  ON;\r\nwav=/t/s.wav\nPLS_SEQ=\n");
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.actions.size(), 6u);
    using K = HostAction::Kind;
    EXPECT_EQ(p.actions[0].items, (std::vector<std::string>{":TRAC:DEF 1,1024", ":TRAC:SEL 1"}));
    EXPECT_EQ(p.actions[1].kind, K::Wave);
    EXPECT_EQ(p.actions[1].items, (std::vector<std::string>{"/t/a.wa0", "/t/b.wa1"}));
    EXPECT_EQ(p.actions[2].kind, K::FmWave);
    EXPECT_EQ(p.actions[3].items, (std::vector<std::string>{":INIT:CONT  ON"}));
    EXPECT_EQ(p.actions[4].items, (std::vector<std::string>{"/t/s.wav"}));
    EXPECT_EQ(p.actions[5].kind, K::PulseSequence);

    EXPECT_NE(ParseHostMessage("Wav=/t/a.wa0&").error.find("no file for channel 2"),
              std::string::npos);
    EXPECT_NE(ParseHostMessage("Wav=").error.find("no file for channel 1"), std::string::npos);
    EXPECT_NE(ParseHostMessage("Cmd=*RST\nPlay=1").error.find("unknown line \"Play=1\""),
              std::string::npos);
}

} // namespace
} // namespace tw
