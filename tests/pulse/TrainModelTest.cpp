#include "TrainBuilder.h"

#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(TrainModel, DerivedStartsAndDurationFollowRepeatsAndLocalDurations) {
    test::Sandbox box(2);
    WriteTrainRoot("qPls", "2");
    WriteSectionKey(0, "Start", "0");
    WriteSectionKey(0, "Repeat", "3");
    WriteSectionKey(0, "locDur", "1e-6"); // written in one spelling, read in the other
    WriteSectionKey(1, "LocDur", "2e-6");
    EXPECT_DOUBLE_EQ(ReadSectionKey(0, "LocDur", 0), 1e-6);

    RecomputeStarts(0);
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "Start"), "3e-6");
    EXPECT_DOUBLE_EQ(RecomputeDuration(), 5e-6);
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "Duration"), "5e-06");
}

TEST(TrainModel, CellsAndSectionCopies) {
    test::Sandbox box(2);
    WriteTrainRoot("qPls", "2");
    WriteSectionKey(0, "SectFmt", "0");
    EXPECT_TRUE(WriteCell(0, 3, 2, std::string("2.5e-6")));
    EXPECT_EQ(box.get(box.exchange(), "Pulse0-ch1", "Link3-sub2"), "2.5e-6");
    EXPECT_EQ(ReadCell(0, 3, 2).value_or(""), "2.5e-6");
    CopySectionKeys(0, 1);
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "Link3-sub2"), "2.5e-6");
    WriteCell(0, 3, 2, std::nullopt);
    EXPECT_FALSE(ReadCell(0, 3, 2));
    DeleteSection(1);
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "SectFmt"), "<absent>");
}

TEST(TrainModel, ReadTrainTakesEverySectionFromOneSnapshot) {
    test::Sandbox box(2);
    test::WriteTrain(
        {{kLinkFormat, 2, {{1, 1e-6}, {-1, 2e-6}}}, {kNodeFormat, 1, {{0, 0}, {1, 1e-6}}}});
    TrainData t = ReadTrain();
    ASSERT_EQ(t.sectionCount, 2);
    EXPECT_EQ(t.sections[0].repeat, 2);
    EXPECT_DOUBLE_EQ(t.sections[0].rows[1].cumulative.value_or(0), 3e-6);
    EXPECT_DOUBLE_EQ(t.sections[1].start, 6e-6);
    EXPECT_DOUBLE_EQ(t.duration, 7e-6);
    EXPECT_DOUBLE_EQ(t.levelLow, -1);
}

TEST(TrainModel, MasterFilesCarryNoChannel) {
    test::Sandbox box(2);
    SetActiveChannel(1);
    EXPECT_EQ(TrainRootSection(), "PulseRoot-ch2");
    test::WriteTrain({{kLinkFormat, 1, {{1, 1e-3}}}, {kLinkFormat, 1, {{2, 1e-3}}}});
    std::string pls = box.root() + "/train.pls";
    ASSERT_TRUE(CopyTrain(pls, true));
    EXPECT_EQ(box.get(pls, "PulseRoot", "qPls"), "2");
    EXPECT_EQ(box.get(pls, "Pulse1", "Link0-sub1"), "2");

    SetActiveChannel(0);
    WriteTrainRoot("qPls", "3"); // a longer train already on channel 1 is replaced whole
    WriteSectionKey(2, "SectFmt", "0");
    ASSERT_TRUE(CopyTrain(pls, false));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "qPls"), "2");
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "Link0-sub1"), "2");
    EXPECT_EQ(box.get(box.exchange(), "Pulse2-ch1", "SectFmt"), "<absent>");

    std::string empty = box.write("empty.pls", "[PulseRoot]\nDuration=1\n");
    EXPECT_FALSE(CopyTrain(empty, false));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "qPls"), "2");
}

TEST(PulseOptions, StoreGoesToItsThreeHomesAndRefusesAClockOutOfRange) {
    test::Sandbox box(2);
    SetActiveChannel(1);
    PulseLimits limits = LoadPulseLimits();
    PulseOptions o = LoadPulseOptions(limits);
    EXPECT_EQ(o.mode, kSingleSegmentMode);
    o.mode = kSequencedMode;
    o.timeUnit = 2;
    o.forceClock = true;
    o.forcedClock = "300e6"; // above the highest clock
    EXPECT_FALSE(StorePulseOptions(o, limits));
    EXPECT_TRUE(box.prompts.sawText("SCLK value out of range"));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "<absent>");

    o.forcedClock = "20e6";
    ASSERT_TRUE(StorePulseOptions(o, limits));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch2", "tmUnitInd"), "2");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal"), "1");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "20e6");
    EXPECT_EQ(box.get(launch().generalIni, "PulseComp", "forceSingSeg"), "0");
    EXPECT_EQ(OptionsSummary(), "Options: Operation mode= Freely Selected.       Forced SCLK=20e6");

    WriteGeneralSetting("forceSingSeg", "7", kPulseSettings);
    EXPECT_EQ(ReadOperationMode(), kSingleSegmentMode);
    EXPECT_EQ(OptionsSummary(), "Options: Operation mode= Not defined.       Forced SCLK=20e6");
    WriteGeneralSetting("forceSingSeg", "2", kPulseSettings);
    EXPECT_EQ(ReadOperationMode(), kSectionPerSegmentMode);
    box.set(box.descr(), "ParmPnlName", "WformMode", "Arb Mod");
    EXPECT_EQ(ReadOperationMode(), kSingleSegmentMode);
    EXPECT_FALSE(LoadPulseLimits().sequencedModes);
}

TEST(PulseLimits, ReadFromTheSampleInstrument) {
    test::Sandbox box(2);
    PulseLimits l = LoadPulseLimits();
    EXPECT_EQ(l.maxSequStp, 4096);
    EXPECT_EQ(l.maxLoopNo, 1000000);
    EXPECT_DOUBLE_EQ(l.sclkMin, 10);
    EXPECT_DOUBLE_EQ(l.sclkMax, 250e6);
    EXPECT_DOUBLE_EQ(l.minWavelength, 16);
    EXPECT_EQ(l.wlIncrement, 4);
    EXPECT_DOUBLE_EQ(l.vHalf, 16383);
    EXPECT_EQ(l.codeBits, 14);
    EXPECT_DOUBLE_EQ(l.levelMax, 5); // half the amplitude: offset and amplitude share the range
    box.set(box.descr(), "ParmConditions", "ampOfs_Indep", "true");
    box.set(box.exchange(), "Settings", "Rsclk", "2");
    l = LoadPulseLimits();
    EXPECT_DOUBLE_EQ(l.levelMax, 10);
    EXPECT_EQ(l.wlIncrement, 8);
    EXPECT_TRUE(box.prompts.asked.empty());
}

} // namespace
} // namespace tw
