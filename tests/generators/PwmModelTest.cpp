#include "MemoryTarget.h"
#include "support/HostRecorder.h"

#include "app/FileUtil.h"
#include "document/WaveFormats.h"
#include "generators/PwmModel.h"
#include "generators/PwmTrain.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <optional>

namespace tw {
namespace {

class PwmModelTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    test::MemoryTarget doc{box.session(), box.prompts, 1000, 3};
    test::HostRecorder link;
    std::optional<PwmModel> m;

    void SetUp() override {
        box.set(box.exchange(), "AppTits", "AC", "Consolia");
        // 0.1 ms pulses of 20 us, modulated over 1 ms by 50 % with the sine law: the defaults.
        m.emplace(doc);
        m->Open();
    }
    void set(const char* key, const char* value) { m->field(key) = value; }
    std::string stored(const char* key) const { return box.get(box.exchange(), "PWM", key); }
};

TEST_F(PwmModelTest, TenPulsesOfOneModulationPeriod) {
    ASSERT_EQ(m->Calculate(), PwmStatus::Ok);
    EXPECT_TRUE(box.prompts.asked.empty());
    EXPECT_EQ(m->plan().count.n, 10);
    EXPECT_EQ(m->field("SCLK"), "10000000");
    EXPECT_EQ(m->field("Seg_Length"), "10000");
    EXPECT_EQ(m->field("Offset"), "0");
    EXPECT_EQ(doc.lengthChanges, 1);
    // Pulses 0 and 5 keep the plain width (800..999), each ending its period; pulse 2 is the
    // widest: 20 us * (1 + 0.25 sin 72 deg).
    EXPECT_EQ(doc.wave(), test::Recorded("pwm-ten-pulses.wav"));
    EXPECT_EQ(stored("SCLK"), "10000000");
    EXPECT_EQ(stored("Pulse_Width"), "2e-5");

    // Calculate commits like OK: the undo step holds the wave from before the dialog, also
    // after a second Calculate.
    ASSERT_EQ(m->Calculate(), PwmStatus::Ok);
    EXPECT_EQ(doc.commits, 2);
    EXPECT_EQ(ReadNativeFile(doc.undoFile(), PointLayout::Int16).points,
              std::vector<std::int32_t>(1000, 3));
}

TEST_F(PwmModelTest, TwoAndAHalfPulsesPerPeriodTakeTwoPeriods) {
    set("Mod_Period", "2.5e-4");
    set("Shape", "2");
    ASSERT_EQ(m->Calculate(), PwmStatus::Ok);
    EXPECT_EQ(m->plan().count.n, 5);
    // Widths of 25 and 15 us put every edge on a 5 us grid.
    EXPECT_EQ(m->field("SCLK"), "200000");
    EXPECT_EQ(m->field("Seg_Length"), "100");
    EXPECT_EQ(doc.wave(), test::Recorded("pwm-two-periods.wav")); // the last pulse ends it
}

TEST_F(PwmModelTest, DownloadSendsTheSettingsAndTheAlignedSegment) {
    set("Mod_Type", "1"); // trailing: the file starts at the first falling edge
    ASSERT_EQ(m->CalculateAndDownload(), PwmStatus::Ok);
    const std::string file = box.tmp() + "PulseWave.tmp";
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], "Cmd=:FREQ:RAST 10000000;:VOLT 2;:VOLT:OFFS 0;:FUNC:MODE USER;"
                            ":TRAC:DEL:ALL;:TRAC:DEF 1,10000;:TRAC:SEL 1\nWav=" +
                                file);
    // The train from its point 1000, wrapping round to the start at 9000.
    EXPECT_EQ(ReadNativeFile(file, PointLayout::Int16).points,
              test::Recorded("pwm-sent-trailing.wav"));

    set("Mod_Type", "2"); // centred on the first pulse
    ASSERT_EQ(m->CalculateAndDownload(), PwmStatus::Ok);
    EXPECT_EQ(ReadNativeFile(file, PointLayout::Int16).points,
              test::Recorded("pwm-sent-centred.wav"));
}

TEST_F(PwmModelTest, CoarseResolutionIsRefinedAfterAsking) {
    set("Precision", "1e-4");
    set("Shape", "3"); // no width change: 20 us pulses, 80 us apart
    box.prompts.then(Answer::No);
    EXPECT_EQ(m->Calculate(), PwmStatus::Stopped);
    EXPECT_EQ(box.prompts.asked.back().caption, "Confirm resolution change");
    EXPECT_EQ(box.prompts.lastText(), "Due to Instrument restrictions for the given parameters\n"
                                      "the PWM will be implemented with Time resolution = "
                                      "2e-05\n\n Continue ?");
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(1000, 3));

    box.prompts.then(Answer::Yes);
    ASSERT_EQ(m->Calculate(), PwmStatus::Ok);
    EXPECT_EQ(box.prompts.asked.size(), 2u); // confirmed once, not again at the end
    EXPECT_EQ(m->field("Precision"), "2e-05");
    EXPECT_EQ(m->field("SCLK"), "50000");
    EXPECT_EQ(m->field("Seg_Length"), "52"); // 50 points rounded up to a multiple of 4
}

TEST_F(PwmModelTest, SegmentLongerThanTheMemoryCoarsensTheResolution) {
    box.set(box.descr(), "Axis", "HRange", "1000 16 4096");
    box.prompts.then(Answer::Yes);
    ASSERT_EQ(m->Calculate(), PwmStatus::Ok);
    EXPECT_NE(box.prompts.lastText().find("Time resolution = 2.44141e-07\n"), std::string::npos);
    EXPECT_EQ(m->field("Seg_Length"), "4096");
}

TEST_F(PwmModelTest, InputChecksRefuseWithTheirMessages) {
    const struct {
        std::vector<std::pair<const char*, const char*>> fields; // Units 0: frequencies
        const char* message;
    } cases[] = {
        {{{"Units", "0"}, {"Pulse_Period", " "}}, "Pulse Frequency is empty"},
        {{{"Precision", ""}}, "Resolution is empty"},
        {{{"Units", "0"}, {"Mod_Period", "0"}}, "Modulation Frequency must be greater than 0"},
        {{{"Mod_Period", "1e-4"}}, "Modulation Period must  be longer than Pulse Period"},
        {{{"Pulse_Width", "9e-5"}},
         "Pulse Width * (1 + Mod. Index/200 + Mod. Offset/100) must be less or equal to Pulse "
         "Period"},
        {{{"Mod_Offset", "-80"}}, "(1 - Mod. Index/200 + Mod. Offset/100) should be >= 0"},
        {{{"Mod_Index", "0"}}, "Modulation index must be greater  than 0"},
        // In frequency units the pulse rate must exceed the modulation rate.
        {{{"Units", "0"},
          {"Pulse_Period", "1000"},
          {"Pulse_Width", "5000"},
          {"Mod_Period", "2000"}},
         "Pulse Frequency  must be higher than Modulation Frequency"},
        // Ten million pulses: more than the memory can hold.
        {{{"Mod_Period", "1000"}},
         "Due to Instrument restrictions for the given parameters\nthe PWM will  not be "
         "implemented"},
        // 1 ns low between 20 us pulses.
        {{{"Precision", "1e-4"},
          {"Shape", "3"},
          {"Mod_Index", "0.001"},
          {"Pulse_Width", "9.9999e-5"}},
         "Due to Instrument restrictions for the given parameters the PWM will  not be "
         "implemented\nThe given PulseWidth requires a higher SCLK than is possible by this unit"},
        {{{"High_Level", "20"}}, "Amplitude out of range, [0.05-10]"},
    };
    for (const auto& c : cases) {
        SetUp();
        for (auto [key, value] : c.fields)
            set(key, value);
        EXPECT_EQ(m->Calculate(), PwmStatus::Refused) << c.message;
        EXPECT_EQ(box.prompts.lastText(), c.message);
        EXPECT_EQ(box.prompts.asked.back().caption, "Error");
    }
    EXPECT_EQ(m->focus(), "High_Level");
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(1000, 3));
    EXPECT_EQ(doc.commits, 0);

    SetUp();
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK 1e4 10 2e4");
    set("Units", "0");
    set("Pulse_Period", "1e4");
    set("Pulse_Width", "1e5");
    set("Mod_Period", "1e3");
    EXPECT_EQ(m->Calculate(), PwmStatus::Refused);
    EXPECT_EQ(box.prompts.lastText(), "Pulse Frequency must be less than maximum SCLK / 2.5");
}

TEST(PwmTrainTest, WidthsFollowTheirLaw) {
    PwmInput in;
    in.pulseWidth = 1;
    in.index = 50;
    const PulseCount four{1, 4};
    for (PwmLaw law : {PwmLaw::Sine, PwmLaw::Triangle}) { // the triangle in phase with the sine
        in.law = law;
        const auto w = PulseWidths(in, four);
        EXPECT_DOUBLE_EQ(w[0], 1);
        EXPECT_DOUBLE_EQ(w[1], 1.25);
        EXPECT_NEAR(w[2], 1, 1e-12);
        EXPECT_DOUBLE_EQ(w[3], 0.75);
    }

    in.law = PwmLaw::TwoLevel;
    in.offset = 10; // the offset keeps its sign on both levels
    auto w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[0], 1.35);
    EXPECT_DOUBLE_EQ(w[2], 1.35);
    EXPECT_DOUBLE_EQ(w[3], 0.85);

    in.law = PwmLaw::External;
    w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[3], 1.1);
}

TEST(PwmTrainTest, DelayWavePlacesEachPulseInItsPart) {
    PwmInput in;
    in.pulsePeriod = 1e-4;
    in.pulseWidth = 2e-5;
    in.index = 10;  // start area
    in.offset = 30; // end area
    auto w = BuildDelayWave(in, 10000, 10, 100, -100);
    // q = 1000, a = 200; pulse 0: delay 5, from 105 to 305; pulse 1 from 1222 (delay 5 +
    // trunc(sin(36 deg) * 200) = 122).
    EXPECT_EQ(w.points, test::Recorded("pwm-delay-sine.wav"));
    EXPECT_EQ(w.firstFall, 306);
    EXPECT_EQ(w.firstMiddle, 205);

    in.law = PwmLaw::TwoLevel; // any other law: a fixed delay of 1
    w = BuildDelayWave(in, 10000, 10, 100, -100);
    EXPECT_EQ(w.points, test::Recorded("pwm-delay-fixed.wav"));
}

} // namespace
} // namespace tw
