#include "TrainBuilder.h"

#include "app/LaunchState.h"
#include "app/PointLimits.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace tw {
namespace {

TEST(TrainModel, WhatAFileClaimsSizesNoMoreThanItHolds) {
    test::Sandbox box(2);
    {
        // Before, 20 sections claiming 65536 rows took 20 x 65536 rows; 300 took a gigabyte.
        TrainEdit e(box.session(), 0);
        for (int i = 0; i < 20; ++i)
            e.replaceSection(i, {"SectFmt=0", "qItm=65536", "Link0-sub1=1", "Link0-sub2=1e-3",
                                 "Link70000-sub1=2", "LocDur=inf", "Repeat=1e300"});
        e.replaceSection(20, {"SectFmt=9", "qItm=1"});
        e.setRoot("qPls", "21");
        e.setRoot("tmUnitInd", "1e300");
        e.setRoot("voltInd", "-3");
        e.commit();
    }
    TrainData t = ReadTrain(box.session(), 0);
    ASSERT_EQ(t.sections.size(), 21u);
    EXPECT_EQ(t.sections[0].rowCount, 2) << "two cell keys: at most two rows";
    EXPECT_EQ(t.sections[0].rows.size(), 2u);
    EXPECT_DOUBLE_EQ(t.sections[0].rows[0].interval.value_or(0), 1e-3);
    EXPECT_EQ(t.sections[0].localDuration, 0) << "a number that is not finite is none";
    EXPECT_EQ(t.sections[0].repeat, INT_MAX);
    EXPECT_EQ(t.sections[20].format, kNodeFormat);
    EXPECT_EQ(t.sections[20].rowCount, 0);
    EXPECT_EQ(t.timeUnit, 1);
    EXPECT_EQ(t.levelUnit, 0);
}

TEST(TrainModel, LoadingAFileRefusesWhatTheInstrumentCannotTake) {
    test::Sandbox box(2);
    const std::string data = TW_SOURCE_DIR "/tests/data/pulse/";
    std::string pls = box.write("damaged.pls", ReadWholeFile(data + "damaged.pls").value_or(""));
    ASSERT_TRUE(Show(box.prompts, CopyTrain(box.session(), 0, pls, false, {8, 1000})));
    // 6 + 1 links fit 8, 2 more do not; each value out of bounds replaced or left out.
    const std::string exchange = ReadWholeFile(box.exchange()).value_or("");
    EXPECT_EQ(exchange.substr(std::min(exchange.find("[PulseRoot-ch1]"), exchange.size())),
              ReadWholeFile(data + "damaged-loaded.ini"));

    ASSERT_EQ(box.prompts.asked.size(), 1u) << "one message for the whole file";
    EXPECT_EQ(box.prompts.asked[0].caption, "Trainsmith");
    EXPECT_EQ(box.prompts.lastText(),
              "File " + pls + "\n" + ReadWholeFile(data + "damaged-messages.txt").value_or("-"));

    // A file within the bounds is copied as it stands, without a message.
    box.prompts.clear();
    ASSERT_TRUE(CopyTrain(box.session(), 0, pls, true));
    ASSERT_TRUE(Show(box.prompts, CopyTrain(box.session(), 0, pls, false, {8, 1000})));
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

TEST(PulseOptions, StoreGoesToItsThreeHomesAndRefusesAClockOutOfRange) {
    test::Sandbox box(2);
    PulseLimits limits = LoadPulseLimits(box.session());
    PulseOptions o = LoadPulseOptions(box.session(), limits, 1);
    EXPECT_EQ(o.mode, kSingleSegmentMode);
    o.mode = kSequencedMode;
    o.timeUnit = 2;
    o.forceClock = true;
    o.forcedClock = "300e6"; // above the highest clock
    EXPECT_FALSE(Show(box.prompts, StorePulseOptions(box.session(), o, limits, 1)));
    EXPECT_TRUE(box.prompts.sawText("SCLK value out of range"));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "<absent>");

    o.forcedClock = "20e6";
    ASSERT_TRUE(Show(box.prompts, StorePulseOptions(box.session(), o, limits, 1)));
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch2", "tmUnitInd"), "2");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal"), "1");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "20e6");
    EXPECT_EQ(box.get(box.session().generalIni, "PulseComp", "forceSingSeg"), "0");
    EXPECT_EQ(OptionsSummary(box.session()),
              "Options: Operation mode= Freely Selected.       Forced SCLK=20e6");

    WriteGeneralSetting(box.session(), "forceSingSeg", "7", kPulseSettings);
    EXPECT_EQ(ReadOperationMode(box.session()), kSingleSegmentMode);
    EXPECT_EQ(OptionsSummary(box.session()),
              "Options: Operation mode= Not defined.       Forced SCLK=20e6");
    WriteGeneralSetting(box.session(), "forceSingSeg", "2", kPulseSettings);
    EXPECT_EQ(ReadOperationMode(box.session()), kSectionPerSegmentMode);
}

TEST(PulseLimits, NumbersOutOfRangeAreRefusedNamingTheirKey) {
    test::Sandbox box(2);
    box.set(box.descr(), "SegmTbl", "MaxLinkNo", "99999999999");
    box.set(box.descr(), "SegmTbl", "MinSequLoopTime", "-1");
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK 100e6 0.5 1e300");
    box.set(box.descr(), "Axis", "Hrange", "1000 1e12 inf");
    box.set(box.descr(), "Axis", "Vpts", "-1e300 1e300");
    PulseLimits l = LoadPulseLimits(box.session());
    EXPECT_EQ(l.maxLinkNo, 0);
    EXPECT_EQ(l.LinkBound(), kMaxTrainCount);
    EXPECT_EQ(l.minLoopTime, 0);
    EXPECT_EQ(l.sclkMin, 0);
    EXPECT_EQ(l.sclkMax, 0);
    EXPECT_EQ(l.minWavelength, 0);
    const auto most = static_cast<double>(MemoryPointLimit(2));
    EXPECT_EQ(l.memorySize, most);
    EXPECT_EQ(l.vHalf, 0);
    EXPECT_EQ(l.codeBits, 0);
    ASSERT_EQ(box.prompts.asked.size(), 6u);
    EXPECT_EQ(box.prompts.asked[0].text,
              "File " + box.descr() +
                  "\nSect=SegmTbl\nKey=MaxLinkNo\nValue 99999999999 is out of range 0..65536; 0 is "
                  "used.");
    EXPECT_TRUE(box.prompts.sawText("Key=Sclk\nThe sample clock range 0.5..1e+300 does not lie "
                                    "within 1..1000000000000; no sample clock range is used."));
    const std::string mostText = std::to_string(MemoryPointLimit(2));
    EXPECT_TRUE(box.prompts.sawText("Key=Hrange\nValue inf is out of range 0.." + mostText + "; " +
                                    mostText + " is used."));
}

// The clock's resolution setting picks the increment's key; an increment beyond any count keeps
// the default.
TEST(PulseLimits, WavelengthIncrementFollowsTheClocksResolution) {
    test::Sandbox box(2);
    for (const char* huge : {"1e12", "4294967300", "1e300"}) {
        box.set(box.descr(), "Axis", "resFactor", huge);
        EXPECT_EQ(LoadPulseLimits(box.session()).wlIncrement, 2) << huge;
    }
    EXPECT_EQ(box.prompts.asked.size(), 3u);
    box.set(box.exchange(), "Settings", "Rsclk", "2");
    EXPECT_EQ(LoadPulseLimits(box.session()).wlIncrement, 8);
}

} // namespace
} // namespace tw
