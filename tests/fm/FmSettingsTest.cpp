#include "fm/FmSettings.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "host/ExchangeFile.h"
#include "support/HostRecorder.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tw {
namespace {

// The sample instrument: [ParmLst] Sclk gives the FM limits 10 .. 250e6 outside FP-segment mode.
class FmSettingsTest : public ::testing::Test {
  protected:
    test::Sandbox box{kFmComposer};
    test::HostRecorder link;
    FmSettings fm;

    std::string exch(const std::string& section, const std::string& key) const {
        return box.get(box.exchange(), section, key);
    }
    void setExch(const std::string& section, const std::string& key, const std::string& v) {
        box.set(box.exchange(), section, key, v);
    }
};

TEST_F(FmSettingsTest, CarrierAtOrOutsideALimitBecomesHalfTheMaximum) {
    for (const char* sclk : {"10", "250e6", "1e9"}) {
        setExch("Settings", "Sclk", sclk);
        ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1)) << sclk;
        EXPECT_EQ(fm.fmMin, 10);
        EXPECT_EQ(fm.fmMax, 250e6);
        EXPECT_EQ(fm.base, 125e6) << sclk;
    }
    setExch("Settings", "Sclk", "100e6");
    profile::DeleteKey(box.exchange(), "Settings", "FmDev0");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 100e6);
    EXPECT_EQ(fm.deviation, 10e6) << "no stored deviation: a tenth of the carrier";
    EXPECT_EQ(fm.vMin, 95e6);
    EXPECT_EQ(fm.vMax, 105e6);
    EXPECT_EQ(exch("Settings", "FmDev0"), "10e6");
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST_F(FmSettingsTest, NumbersNoFmPointCanHoldAreRefused) {
    // The carrier becomes the initial point of every new FM point: 1e300 was no 32-bit value.
    setExch("Settings", "ModCarFrq", "1e300");
    setExch("Settings", "Sclk", "100e6");
    setExch("Settings", "FmDev0", "inf");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 100e6) << "refused like an absent host carrier";
    EXPECT_EQ(fm.deviation, 10e6) << "a deviation that is not finite is none";
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.lastText(),
              "File " + box.exchange() +
                  "\nSect=Settings\nKey=ModCarFrq\nValue 1e+300 is out of range 0..2147483647; "
                  "the instrument's carrier is used.");

    EXPECT_FALSE(ApplyDeviation(box.session(), box.prompts, fm, "nan", 1).accepted);
    EXPECT_EQ(fm.deviation, 10e6);

    box.prompts.clear();
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK 100e6 10 1e300");
    EXPECT_FALSE(LoadFmLimits(box.session(), box.prompts, fm, 1)) << "no range: no carrier fits";
    EXPECT_TRUE(box.prompts.sawText("Key=Sclk\nThe range 10..1e+300 does not lie within "
                                    "0..2147483647; no range is used."));
}

TEST_F(FmSettingsTest, CarrierThatCannotBeRescuedFailsWithTheLimitMessage) {
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK x 100 150");
    EXPECT_FALSE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "FM Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text,
              "FM Sample clock has reached its limit.\nCarrier freq = 75\nAvailable range [100  "
              "150]\n\nModify the sample clock setting and restart the FM Tidewright.");
    EXPECT_EQ(exch("Settings", "FmDev0"), "<absent>") << "nothing written on failure";
}

TEST_F(FmSettingsTest, StoredDeviationIsCutToTwiceTheSmallerDistance) {
    setExch("Settings", "Sclk", "200e6");
    setExch("Settings", "FmDev0", "1e9");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.deviation, 100e6) << "50e6 to the upper limit is the nearer";
    EXPECT_EQ(fm.vMax, 250e6);
    EXPECT_EQ(fm.vMin, 150e6);
    EXPECT_EQ(exch("Settings", "FmDev0"), "100e6");

    setExch("Settings", "FmFuncMode", "3");
    setExch("Settings", "FmDev3", "2.5e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.deviation, 2.5e6) << "the key follows the function mode";
}

TEST_F(FmSettingsTest, CarrierKeyChoice) {
    // The host's own carrier is used as it is, even outside the limits.
    setExch("Settings", "ModCarFrq", "300e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 300e6);
    setExch("Settings", "ModCarFrq", "20e6");
    setExch("Settings", "FmDev", "1e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.deviation, 1e6) << "with ModCarFrq the key has no function mode";

    box.set(box.exchange(), "Settings", "ModCarFrq", "");
    profile::DeleteKey(box.exchange(), "Settings", "ModCarFrq");
    setExch("Settings", "WformMode", "0");
    setExch("Settings", "Sclk", "100e6");
    setExch("FmComposer", "StdFmbase", "60e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 60e6) << "standard waveform mode takes the standard FM carrier";
    setExch("Instrument", "Model", "k4412b");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 100e6) << "except on the K4412 models";
    setExch("Settings", "WformMode", "1");
    setExch("Instrument", "Model", "TW2014");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 100e6);
}

TEST_F(FmSettingsTest, FmBaseNamesTheRangeAndCarrierKeys) {
    box.set(box.descr(), "FmComposer", "FmBase", "FmClk");
    box.set(box.descr(), "ParmLst", "FmClk", "Fm Clock 1e6 100e6");
    setExch("Settings", "FmFuncMode", "2");
    setExch("Settings", "FmDev", "4e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.fmMax, 100e6);
    EXPECT_EQ(fm.base, 6100000) << "the carrier key's default";
    EXPECT_EQ(fm.deviation, 4e6) << "FmBase instruments keep one deviation key";

    ASSERT_TRUE(ApplyDeviation(box.session(), box.prompts, fm, "3e6", 1).accepted);
    EXPECT_EQ(exch("Settings", "FmDev"), "3e6");
    EXPECT_EQ(exch("Settings", "FmDev2"), "<absent>");
    EXPECT_EQ(exch("Settings", "FmSt0"), "<absent>") << "function mode 2";
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(FmSettingsTest, ZeroDeviationIsASettingsConflict) {
    setExch("Settings", "Sclk", "100e6");
    setExch("Settings", "FmDev0", "0");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    EXPECT_EQ(fm.base, 50e6) << "the description file's default carrier";
    EXPECT_EQ(fm.deviation, 5e6);
    EXPECT_EQ(fm.vMin, 47.5e6);
    EXPECT_EQ(exch("Settings", "FmCarFrq"), "5e+07");
    EXPECT_EQ(exch("Settings", "FmDev0"), "5e6");
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.lastText(),
              "Settings conflict\nBase frequency=1e+08 and deviation.\nValues cann't be corrected "
              "automatically and will be set to default");
}

TEST_F(FmSettingsTest, TypedDeviationPastALimitIsRefusedTouchingOneAcceptedAndTold) {
    setExch("AppTits", "AC", "Consolia - TW2014");
    setExch(ExchangeFile::WaveParameters::kFm, "Shape", "Sine");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1)); // carrier 125e6, deviation 12.5e6
    DeviationChange refused = ApplyDeviation(box.session(), box.prompts, fm, "251e6", 1);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.boxText, "1.25e7");
    EXPECT_EQ(box.prompts.lastText(),
              "Deviation range exceeds the limit.\nPrevious value will be restored.");
    EXPECT_EQ(fm.deviation, 12.5e6);
    EXPECT_EQ(fm.vMax, 131.25e6);
    EXPECT_EQ(exch("Settings", "FmDev0"), "12.5e6");
    EXPECT_EQ(exch("Settings", "FmSt0"), "<absent>");
    EXPECT_TRUE(link.sent.empty());

    box.prompts.clear();
    DeviationChange c = ApplyDeviation(box.session(), box.prompts, fm, "249999980", 1);
    ASSERT_TRUE(c.accepted);
    EXPECT_EQ(fm.vMin, 10) << "exactly the lower limit";
    EXPECT_EQ(fm.vMax, 249999990);
    EXPECT_EQ(exch("Settings", "FmDev0"), "249999980") << "the text as typed";
    EXPECT_EQ(exch("Settings", "FmSt0"), "249999980");
    EXPECT_EQ(exch("FmComposer", "FMax"), "2.5e+008");
    EXPECT_EQ(exch("FmComposer", "FMin"), "10");
    EXPECT_EQ(exch("Common", "Modif"), "Yes");
    EXPECT_EQ(exch(ExchangeFile::WaveParameters::kFm, "Shape"), "<absent>");
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.windows[0], "Consolia - TW2014");
    EXPECT_EQ(link.sent[0], "Cmd=:FM:DEV 249999980");

    EXPECT_TRUE(ApplyDeviation(box.session(), box.prompts, fm, "250e6", 1).accepted == false);
    fm.base = 249999000;
    EXPECT_TRUE(ApplyDeviation(box.session(), box.prompts, fm, "2000", 1).accepted)
        << "high exactly at the upper limit";
    EXPECT_TRUE(box.prompts.asked.size() == 1u);
}

TEST_F(FmSettingsTest, FpSegmentModeKeepsADeviationPerSegment) {
    box.useFpSegments(2);
    setExch("Settings", "ModCarFrq", "100e6");
    setExch("FmSegmTbl", "FmDev2", "8e6");
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 2));
    EXPECT_EQ(fm.fmMax, 250e6) << "FP-segment limits come from ModCarFrq";
    EXPECT_EQ(fm.fpSegMax, 256);
    EXPECT_EQ(fm.deviation, 8e6);

    ASSERT_TRUE(ApplyDeviation(box.session(), box.prompts, fm, "6e6", 2).accepted);
    EXPECT_EQ(exch("FmSegmTbl", "FmDev2"), "6e6");
    EXPECT_EQ(exch("Settings", "FmDev0"), "<absent>");
    EXPECT_EQ(exch("Common", "Modif"), "<absent>");
    EXPECT_TRUE(link.sent.empty());

    LoadSegmentDeviation(box.session(), fm, 3);
    EXPECT_EQ(fm.deviation, 10e6) << "segment 3 has no deviation yet";
    EXPECT_EQ(fm.vMin, 95e6);
}

TEST_F(FmSettingsTest, RangeFromAFlatOrClampedLoadedWave) {
    ASSERT_TRUE(LoadFmLimits(box.session(), box.prompts, fm, 1));
    std::vector<std::int32_t> flat{5000, 5000};
    EXPECT_EQ(FmRangeFromLoadedWave(box.session(), fm, flat), "500");
    EXPECT_EQ(fm.vMin, 4750);
    EXPECT_EQ(fm.vMax, 5250);

    std::vector<std::int32_t> low{-5, 10};
    FmRangeFromLoadedWave(box.session(), fm, low);
    EXPECT_EQ(fm.vMin, 9.5) << "both clamped to the lower limit: a flat range";
}

TEST_F(FmSettingsTest, AbstractModeDecision) {
    EXPECT_FALSE(DecideFmAbstractMode(box.session())) << "the sample instrument says IsAbstr=No";
    profile::DeleteKey(box.descr(), "FmComposer", "IsAbstr");
    EXPECT_FALSE(DecideFmAbstractMode(box.session())) << "4-byte points";
    box.set(box.descr(), "FmComposer", "PtSize", "6");
    EXPECT_TRUE(DecideFmAbstractMode(box.session()));
    profile::DeleteKey(box.descr(), "FmComposer", "PtSize");
    EXPECT_TRUE(DecideFmAbstractMode(box.session()));
    box.set(box.descr(), "FmComposer", "IsAbstr", "no");
    EXPECT_FALSE(DecideFmAbstractMode(box.session()));
    box.set(box.descr(), "FmComposer", "IsAbstr", "Yes");
    box.useFpSegments(1);
    EXPECT_FALSE(DecideFmAbstractMode(box.session())) << "never in FP-segment mode";
}

} // namespace
} // namespace tw
