#include "TrainBuilder.h"

#include "document/WaveFormats.h"
#include "pulse/PulseLimits.h"
#include "pulse/TrainCompiler.h"
#include "pulse/TrainSegmenter.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <optional>

namespace tw {
namespace {

class TrainCompilerTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
    PulseLimits limits;
    std::optional<TrainCompiler> made;

    TrainCompiler& compiler(int mode = kSingleSegmentMode) {
        limits = LoadPulseLimits(box.session());
        made.emplace(limits, 0, box.session(), box.prompts);
        made->mode = mode;
        return *made;
    }

    void clockRange(const char* line) const { box.set(box.descr(), "ParmLst", "Sclk", line); }
    // 1 us, 2.5 us and 1 us again at +-1 V.
    void writeShortLinks() const {
        test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e-6}, {-1, 2.5e-6}, {1, 1e-6}}}});
    }
};

TEST_F(TrainCompilerTest, TrainsTooLongForOneSegmentAreRefused) {
    TrainCompiler& c = compiler();
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 2}, {0, 1e-8}}}});
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    EXPECT_EQ(box.prompts.lastText(),
              "The pulse train needs 200000001 samples in one segment at 1e+08 samples a second; "
              "a segment holds at most 134217728.");
    c.mode = kSectionPerSegmentMode;
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);

    // Times past any count saturate, times past the largest number are refused.
    c.mode = kSingleSegmentMode;
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e300}}}});
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e308}, {0, 1e308}}}});
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kNoTrain);
    EXPECT_EQ(box.prompts.lastText(),
              "The pulse train is too long to be built: its times exceed the largest number.");
}

TEST_F(TrainCompilerTest, EmptyIncompleteAndOffGridTrainsAreRefused) {
    TrainCompiler& c = compiler();
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kNoTrain);
    EXPECT_TRUE(box.prompts.asked.empty());
    test::WriteTrain(box.session(),
                     {{kNodeFormat, 1, {{1, 0}}}}); // a start node alone makes no link
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kIncomplete);
    EXPECT_EQ(box.prompts.lastText(), "Pulse Train incomplete.");
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e-6}, {0, 4e-12}}}});
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kNoTrain);
    EXPECT_EQ(box.prompts.lastText(), "Undocumented error.\nCall developer");
}

TEST_F(TrainCompilerTest, ForcedClockOffTheGridOrTheRangeIsWorkedOutAfterAsking) {
    writeShortLinks();
    TrainCompiler& c = compiler();
    test::ForceClock(box.session(), "3e6");
    box.prompts.then(Answer::Cancel);
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Timing problem");
    EXPECT_EQ(box.prompts.asked[0].buttons, Buttons::OkCancel);
    EXPECT_NE(box.prompts.lastText().find("(Max deviation is 166.666666667e-9 sec.)"),
              std::string::npos);

    box.prompts.then(Answer::Ok);
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_DOUBLE_EQ(c.baseSclk, 2e6); // exponent 7: products 10 and 25, divisor 5
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "3e6");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal"), "1");

    // 4.5 us gives 9 points at 2 MS/s; raised by 2 MS/s until the count is a multiple of 4.
    test::ForceClock(box.session(), "2e6"); // 9 points: shorter than the 16-point minimum
    box.prompts.then(Answer::Ok);
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_EQ(box.prompts.asked.back().caption, "Wavelength problem");
    EXPECT_EQ(box.prompts.lastText(), "The forced SCLK brings with it wavelength = 9\nshorter min "
                                      "segment length.\nPress OK to let the Trainsmith figure the "
                                      "SCLK automatically.");
    EXPECT_DOUBLE_EQ(c.sclk, 8e6);

    test::ForceClock(box.session(), "6e6"); // 27 points: not a multiple of 4
    box.prompts.then(Answer::Cancel);
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    EXPECT_EQ(box.prompts.lastText(),
              "The forced SCLK  brings with it  wavelength = 27 not match to Instrument "
              "resolution .\nPress OK to let the Trainsmith figure the SCLK automatically.");

    test::ForceClock(box.session(),
                     "1e300"); // out of the instrument's range: worked out, with a message
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_DOUBLE_EQ(c.sclk, 8e6);
    EXPECT_EQ(box.prompts.lastText(),
              "File " + box.exchange() +
                  "\nSect=PulseRoot-ch1\nKey=forceSclk\nValue 1e+300 is out of range "
                  "10..250000000; the clock worked out for the train is used.");
}

TEST_F(TrainCompilerTest, ClockCeilingFallsBackToContinuousCopies) {
    clockRange("SCLK 100e6 10 3e6");
    writeShortLinks();
    TrainCompiler& c = compiler();
    box.prompts.then(Answer::No);
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kDeclined);
    EXPECT_EQ(box.prompts.lastText(),
              "The train may be implemented with \"Continuous\" mode only.\nContinue ?");
    box.prompts.then(Answer::Yes);
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_DOUBLE_EQ(c.sclk, 2e6);
    EXPECT_EQ(c.copies, 4); // 4 x 9 points: a multiple of 4 and at least 16

    c.mode = kSequencedMode;
    box.prompts.then(Answer::Yes);
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_EQ(c.mode, kContinuousMode);

    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e-6}, {-1, 2.5e-6}, {1, 1e-6}}},
                                     {kLinkFormat, 1, {{1, 1e-6}}}});
    c.mode = kSequencedMode;
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    EXPECT_EQ(box.prompts.lastText(),
              "Can not comply with requested resolution/accuracy,\ndue Sampling clock "
              "implementation restriction.\n(SClK max = 3e+06 required = 4e+06).\n\nYou may "
              "continue with lower resolution.");
}

// A description with a lowest clock of 1 S/s under a top of 1e12: the clock search, a base at a
// time, ran 1e12 steps when no segment could reach the loop time, and copies were counted one by
// one up to the minimum length.
TEST_F(TrainCompilerTest, TinyLowestClockBoundsTheClockSearch) {
    clockRange("SCLK 1 1 1e12");
    box.set(box.descr(), "SegmTbl", "MinSequLoopTime", "1e6");
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1}}}, {kLinkFormat, 1, {{-1, 1}}}});
    TrainCompiler& c = compiler(kSequencedMode);
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    EXPECT_NE(box.prompts.lastText().find("(SClK max = 4.1943e+06 required = 4.1943e+06)"),
              std::string::npos)
        << box.prompts.lastText();

    box.set(box.descr(), "Axis", "Hrange", "1000 1e9 1e9");
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1}}}});
    limits = LoadPulseLimits(box.session());
    c.mode = kSingleSegmentMode;
    box.prompts.then(Answer::Yes);
    EXPECT_EQ(c.CompileTrain(0), TrainCompiler::kClockFailed);
    EXPECT_EQ(box.prompts.lastText(), "The pulse train needs 1000000000 samples in one segment at "
                                      "1 samples a second; a segment holds at most 134217728.");
}

TEST_F(TrainCompilerTest, ConversionMapsThePeakToPeakRangeOntoTheCodes) {
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 4e-6}, {-0.5, 4e-6}}},
                                     {kNodeFormat, 1, {{0, 0}, {0, 2e-6}, {1, 4e-6}}}});
    TrainCompiler& c = compiler(kSequencedMode);
    ASSERT_EQ(c.CompileTrain(0), TrainCompiler::kCompiled);
    EXPECT_DOUBLE_EQ(c.sclk, 4e6); // 1 MS/s gives 4-point sections, below the minimum
    c.ConvertToSamples();
    ASSERT_EQ(c.sectionRanges.size(), 2u);
    EXPECT_EQ(c.sectionRanges[0].first, 1);
    EXPECT_EQ(c.sectionRanges[0].last, 2);
    EXPECT_EQ(c.sectionRanges[1].header, 3);
    const LinkEntry& low = c.links[2];
    EXPECT_DOUBLE_EQ(low[0], 16);
    EXPECT_DOUBLE_EQ(low[1], 32);
    EXPECT_DOUBLE_EQ(low[3], -16383.0 / 2);
    // The ramp of section 1 starts where the train's time says: 8 us + 2 us.
    const LinkEntry& ramp = c.links[static_cast<size_t>(c.sectionRanges[1].last)];
    EXPECT_DOUBLE_EQ(ramp[0], 40);
    EXPECT_NEAR(ramp[2], 16383.0 / 8, 1e-9);
    EXPECT_NEAR(ramp[0] * ramp[2] + ramp[3], 0, 1e-9);
    EXPECT_NEAR(c.MaxSlope(), 16383.0 / 8, 1e-9);
}

TEST_F(TrainCompilerTest, SteepTransitionsRaiseTheClockUnlessItIsForced) {
    test::WriteTrain(box.session(), {{kNodeFormat, 1, {{0, 0}, {1, 1e-6}}}});
    TrainCompiler& c = compiler();
    ASSERT_EQ(c.RunClockLoop(1e-6), TrainCompiler::kCompiled);
    // 16 MS/s climbs 1024 codes a sample; ten times the clock brings it near 100.
    EXPECT_DOUBLE_EQ(c.sclk, 160e6);
    EXPECT_LT(c.MaxSlope(), 200);

    test::ForceClock(box.session(), "16e6");
    ASSERT_EQ(c.RunClockLoop(1e-6), TrainCompiler::kCompiled);
    EXPECT_DOUBLE_EQ(c.sclk, 16e6);
    EXPECT_TRUE(box.prompts.asked.empty());
}

// The compiled train cut into segments and sequence steps.
std::vector<std::int32_t> Points(const std::string& segment) {
    return ReadNativeFile(segment, PointLayout::Int16).points;
}

class TrainSegmenterTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
    PulseLimits limits = LoadPulseLimits(box.session());
    TrainCompiler compiled{limits, 0, box.session(), box.prompts};

    void SetUp() override { compiled.sclk = 1e6; } // a 16-point minimum segment

    // One section of `repeat` passes: a ramp over 32 points, then 100 flat points of code 50.
    void rampThenFlat(int repeat) {
        compiled.links = {{-1, double(repeat), 0, 2}, {0, 32, 1, 0}, {32, 132, 0, 50}};
        compiled.sectionRanges = {{0, 1, 2}};
    }
};

TEST_F(TrainSegmenterTest, SequencedSectionsRepeatTheirSteps) {
    rampThenFlat(3);
    TrainSegmenter s(compiled, kSequencedMode);
    ASSERT_EQ(s.BuildSequenced(), 1);
    // The ramp, the flat run (16 + 4 once, 16 four times) and the last 16 flat points.
    ASSERT_EQ(s.steps.size(), 12u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(s.steps[i + 4].path, s.steps[i].path);
        EXPECT_EQ(s.steps[i + 4].repeat, s.steps[i].repeat);
    }
    EXPECT_EQ(s.steps[2].repeat, "4");
    EXPECT_EQ(s.segmentCount, 4);
    auto ramp = Points(s.steps[0].path);
    ASSERT_EQ(ramp.size(), 32u);
    EXPECT_EQ(ramp[31], 31);
    EXPECT_EQ(Points(s.steps[3].path), std::vector<std::int32_t>(16, 50));
    EXPECT_DOUBLE_EQ(s.memoryUsed, 32 + 20 + 16);

    ASSERT_TRUE(s.WriteSequenceTable());
    EXPECT_EQ(box.get(box.exchange(), "PulsSeq", "Stp12"), s.steps[3].path);
    EXPECT_EQ(box.get(box.exchange(), "PulsSeq", "Rpt11"), "4");
}

TEST_F(TrainSegmenterTest, ContinuousSegmentHoldsWholePasses) {
    compiled.links = {{-1, 1, 0, 1}, {0, 7, 0, 3}};
    compiled.sectionRanges = {{0, 1, 1}};
    TrainSegmenter s(compiled, kContinuousMode);
    s.BuildContinuous();
    ASSERT_EQ(s.steps.size(), 1u);
    EXPECT_EQ(Points(s.steps[0].path).size(), 28u); // 3 passes reach 16, 4 a multiple of 4
    EXPECT_DOUBLE_EQ(s.memoryUsed, 28);

    // An increment no whole passes reach within a segment's limit builds nothing, at once.
    limits.wlIncrement = 2147483647;
    TrainSegmenter huge(compiled, kContinuousMode);
    huge.BuildContinuous();
    EXPECT_TRUE(huge.tooLong);
    EXPECT_TRUE(huge.steps.empty());
}

} // namespace
} // namespace tw
