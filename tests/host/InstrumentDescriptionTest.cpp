#include "host/InstrumentDescription.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/PointLimits.h"
#include "document/WeDoc.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(InstrumentDescription, SampleInstrumentItsModelFileRsclkWfmtWaveGroupingAndResolution) {
    test::Sandbox box;
    InstrumentLimits lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.channels, 2);
    EXPECT_EQ(lim.model, "TW2014");
    EXPECT_EQ(lim.initialWavelength, 1000);
    EXPECT_EQ(lim.wavelengthMax, 16777216);
    EXPECT_EQ(lim.resFactor, 4);
    EXPECT_EQ(lim.waveFolder, box.tmp() + "Wav14bit/");
    EXPECT_TRUE(FileExists(lim.waveFolder));
    EXPECT_TRUE(box.prompts.asked.empty());

    // The model file comes first, for HRange only.
    box.write("Consolia/tmp/TW2014.ini", "[Axis]\nHRange=2048 32 4096\n");
    lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.initialWavelength, 2048);
    EXPECT_EQ(lim.wavelengthMax, 4096);
    EXPECT_EQ(lim.segmentMax, 16384) << "AcSeg still comes from the description file";

    box.set(box.exchange(), "Settings", "Rsclk", "2");
    box.set(box.exchange(), "Settings", "Wfmt", "Vpts12");
    lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.resFactor, 8);
    EXPECT_EQ(lim.vMax, 4095);
    EXPECT_EQ(lim.resolutionBits, 12);
    EXPECT_EQ(lim.waveFolder, box.tmp() + "Wav12bit/");

    box.set(box.exchange(), "Settings", "Rsclk", "7");
    box.set(box.root() + "/Consolia/General/General.ini", "StartUp", "ForceYresWaveGrouping", "No");
    lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.resFactor, 2) << "no resFactor7 key: the default increment";
    EXPECT_EQ(lim.waveFolder, "");
    // Exact at powers of two: 14, 12 and 32 bits and the refusals are read in the other tests.
    EXPECT_EQ(ResolutionBits(0, 65535), 16);
    EXPECT_EQ(ResolutionBits(0, 16382), 13);
}

TEST(InstrumentDescription, WavelengthsBeyondWhatTheMachineCanHoldAreRefused) {
    test::Sandbox box;
    box.set(box.descr(), "Axis", "HRange", "1000000000000 16 1000000000000");
    // Before the check the document asked for a trillion points and threw std::bad_alloc.
    Composer standard{box.session()};
    WeDoc doc(standard, box.prompts);
    const std::size_t most = MemoryPointLimit(2);
    const std::string mostText = std::to_string(most);
    EXPECT_EQ(doc.samples().size(), kNewSegmentPoints);
    EXPECT_EQ(doc.limits().wavelengthMin, 16);
    EXPECT_EQ(doc.limits().wavelengthMax, static_cast<double>(most));
    ASSERT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text,
              "File " + box.descr() +
                  "\nSect=Axis\nKey=HRange\nValue 1000000000000 is more points than this machine "
                  "can hold (" +
                  mostText + "); 1024 is used.");
    EXPECT_TRUE(box.prompts.sawText("can hold (" + mostText + "); " + mostText + " is used."));
    EXPECT_EQ(doc.limits().segmentMax, 16384) << "the load goes on";
    EXPECT_EQ(doc.vMax(), 16383);

    box.prompts.clear();
    box.write("Consolia/tmp/TW2014.ini", "[Axis]\nHRange=4000000000 -1 1e999\n");
    InstrumentLimits lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.initialWavelength, 1024);
    EXPECT_EQ(lim.wavelengthMin, 0);
    EXPECT_EQ(lim.wavelengthMax, static_cast<double>(most));
    ASSERT_EQ(box.prompts.asked.size(), 3u);
    EXPECT_TRUE(box.prompts.sawText("TW2014.ini\nSect=Axis\nKey=HRange\nValue 4000000000"))
        << "the model file that holds the value is named";

    box.prompts.clear();
    box.write("Consolia/tmp/TW2014.ini", "[Axis]\nHRange=268435456 16 268435456\n");
    lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.initialWavelength, 268435456) << "256M points are taken";
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST(InstrumentDescription, OutOfRangeChannelSegmentAndCodeNumbersAreRefused) {
    test::Sandbox box;
    box.set(box.exchange(), "Settings", "ActiveCh", "99999999999");
    box.set(box.exchange(), "Settings", "AcSeg", "1e12 4");
    box.set(box.descr(), "Axis", "Vpts", "-1e300 1e300");
    box.set(box.descr(), "ParmLst", "AcSeg", "Segment Number 1 1e12");
    InstrumentLimits lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.active.channel, 0);
    EXPECT_EQ(lim.active.segment, 1);
    EXPECT_EQ(lim.segTableSection, "SegmTbl-ch0");
    EXPECT_EQ(lim.segmentMax, 0);
    EXPECT_EQ(lim.vMin, 0);
    EXPECT_EQ(lim.vMax, 0);
    EXPECT_EQ(lim.waveFolder, "") << "no resolution, no wave folder";
    EXPECT_FALSE(FileExists(box.tmp() + "Wav0bit"));
    ASSERT_EQ(box.prompts.asked.size(), 4u);
    EXPECT_EQ(box.prompts.asked[0].text,
              "File " + box.exchange() +
                  "\nSect=Settings\nKey=ActiveCh\nValue 99999999999 is out of range 0..1; 0 is "
                  "used.");
    EXPECT_EQ(box.prompts.asked[1].text,
              "File " + box.exchange() +
                  "\nSect=Settings\nKey=AcSeg\nValue 1000000000000 is out of range 1..16777216; 1 "
                  "is used.");
    EXPECT_TRUE(box.prompts.sawText("Key=AcSeg\nThe range 1..1000000000000 does not lie"));
    EXPECT_TRUE(box.prompts.sawText("Key=Vpts\nThe code range -1e+300..1e+300 is not one of a "
                                    "DAC of 1 to 32 bits; no code range is used."));

    // A channel must be one of the instrument's channels.
    box.prompts.clear();
    box.set(box.exchange(), "Settings", "ActiveCh", "2");
    box.set(box.exchange(), "Settings", "AcSeg", "3 5");
    box.set(box.exchange(), "Instrument", "Channels", "1e12");
    box.set(box.descr(), "ParmLst", "AcSeg", "Segment Number 1 16384");
    box.set(box.descr(), "Axis", "Vpts", "-2147483648 2147483647");
    lim = LoadInstrumentDescription(box.session());
    EXPECT_EQ(lim.active.channel, 0);
    EXPECT_EQ(lim.active.segment, 3);
    EXPECT_EQ(lim.waveFolder, box.tmp() + "Wav32bit/") << "a 32-bit DAC is the widest";
    ASSERT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_TRUE(box.prompts.sawText("Key=Channels\nValue 1000000000000 is out of range 1..64"));
    EXPECT_TRUE(box.prompts.sawText("Key=ActiveCh\nValue 2 is out of range 0..0; 0 is used."));

    for (const char* range : {"0 4294967296", "5 5", "nan 7", "7 3"}) {
        box.prompts.clear();
        box.set(box.descr(), "Axis", "Vpts", range);
        InstrumentLimits refused = LoadInstrumentDescription(box.session());
        EXPECT_EQ(refused.vMax, 0) << range;
        EXPECT_EQ(refused.resolutionBits, 0) << range;
        EXPECT_TRUE(box.prompts.sawText("Key=Vpts\nThe code range")) << range;
    }
}

} // namespace
} // namespace tw
