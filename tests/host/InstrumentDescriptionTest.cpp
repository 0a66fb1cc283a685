#include "host/InstrumentDescription.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(InstrumentDescription, SampleInstrumentWithDefaults) {
    test::Sandbox box;
    InstrumentLimits lim = LoadInstrumentDescription();
    EXPECT_EQ(lim.channels, 2);
    EXPECT_EQ(lim.model, "TW2014");
    EXPECT_EQ(lim.initialWavelength, 1000);
    EXPECT_EQ(lim.wavelengthMin, 16);
    EXPECT_EQ(lim.wavelengthMax, 16777216);
    EXPECT_EQ(lim.segmentMin, 1);
    EXPECT_EQ(lim.segmentMax, 16384);
    EXPECT_EQ(lim.vMax, 16383);
    EXPECT_EQ(lim.resolutionBits, 14);
    EXPECT_EQ(lim.resFactor, 4);
    EXPECT_EQ(lim.segTableSection, "SegmTbl-ch0");
    EXPECT_EQ(launch().waveFolder, box.tmp() + "Wav14bit/");
    EXPECT_TRUE(FileExists(launch().waveFolder));
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST(InstrumentDescription, ModelFileFirstForHRangeOnly) {
    test::Sandbox box;
    box.write("Consolia/tmp/TW2014.ini", "[Axis]\nHRange=2048 32 4096\n");
    InstrumentLimits lim = LoadInstrumentDescription();
    EXPECT_EQ(lim.initialWavelength, 2048);
    EXPECT_EQ(lim.wavelengthMax, 4096);
    EXPECT_EQ(lim.segmentMax, 16384) << "AcSeg still comes from the description file";
}

TEST(InstrumentDescription, RsclkWfmtAndWaveGrouping) {
    test::Sandbox box;
    box.set(box.exchange(), "Settings", "Rsclk", "2");
    box.set(box.exchange(), "Settings", "Wfmt", "Vpts12");
    InstrumentLimits lim = LoadInstrumentDescription();
    EXPECT_EQ(lim.resFactor, 8);
    EXPECT_EQ(lim.vMax, 4095);
    EXPECT_EQ(lim.resolutionBits, 12);
    EXPECT_EQ(launch().waveFolder, box.tmp() + "Wav12bit/");

    box.set(box.exchange(), "Settings", "Rsclk", "7");
    box.set(box.root() + "/Consolia/General/General.ini", "StartUp", "ForceYresWaveGrouping", "No");
    lim = LoadInstrumentDescription();
    EXPECT_EQ(lim.resFactor, 2) << "no resFactor7 key: the default increment";
    EXPECT_EQ(launch().waveFolder, "");
}

TEST(InstrumentDescription, ActiveSegmentFromTheChannelsEntry) {
    test::Sandbox box;
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "3 5");
    LoadInstrumentDescription();
    EXPECT_EQ(launch().activeChannel, 1);
    EXPECT_EQ(launch().activeSegment, 5);
}

TEST(InstrumentDescription, ResolutionBitsAreExactAtPowersOfTwo) {
    EXPECT_EQ(ResolutionBits(0, 16383), 14);
    EXPECT_EQ(ResolutionBits(0, 4095), 12);
    EXPECT_EQ(ResolutionBits(-8192, 8191), 14);
    EXPECT_EQ(ResolutionBits(0, 65535), 16);
    EXPECT_EQ(ResolutionBits(0, 16382), 13);
}

} // namespace
} // namespace tw
