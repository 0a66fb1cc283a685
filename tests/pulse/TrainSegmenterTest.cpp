#include "pulse/TrainSegmenter.h"
#include "TrainBuilder.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "pulse/PulseLimits.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

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

TEST_F(TrainSegmenterTest, FlatRunsUseShortSegmentsSharedWithinADownload) {
    TrainSegmenter s(compiled, kSequencedMode);
    s.minSegment = 384;
    s.WriteFlatRun(10000, -7);
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].path, TrainSegmenter::SegmentPath(box.session().tmpFolder, 1));
    EXPECT_EQ(s.steps[0].repeat, "1");
    EXPECT_EQ(s.steps[1].repeat, "25");
    EXPECT_EQ(FileSize(s.steps[0].path), 800);
    EXPECT_EQ(FileSize(s.steps[1].path), 768);
    EXPECT_EQ(test::SamplesOf(s.steps[1].path).back(), -7);
    EXPECT_DOUBLE_EQ(s.memoryUsed, 400);

    s.WriteFlatRun(10000, -7);
    s.WriteFlatRun(768, -7); // exactly two minimum segments: part B alone
    ASSERT_EQ(s.steps.size(), 5u);
    EXPECT_EQ(s.steps[2].path, s.steps[0].path);
    EXPECT_EQ(s.steps[4].path, s.steps[1].path);
    EXPECT_EQ(s.steps[4].repeat, "2");
    EXPECT_EQ(s.nextSegment, 3);
    s.WriteFlatRun(10000, 8);
    EXPECT_EQ(s.nextSegment, 5);
}

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
    auto ramp = test::SamplesOf(s.steps[0].path);
    ASSERT_EQ(ramp.size(), 32u);
    EXPECT_EQ(ramp[31], 31);
    EXPECT_EQ(test::SamplesOf(s.steps[3].path), std::vector<short>(16, 50));
    EXPECT_DOUBLE_EQ(s.memoryUsed, 32 + 20 + 16);

    ASSERT_TRUE(s.WriteSequenceTable());
    EXPECT_EQ(box.get(box.exchange(), "PulsSeq", "Stp12"), s.steps[3].path);
    EXPECT_EQ(box.get(box.exchange(), "PulsSeq", "Rpt11"), "4");
}

TEST_F(TrainSegmenterTest, TooManyStepsLeaveNoSequenceTable) {
    limits.maxSequStp = 10;
    rampThenFlat(3);
    box.set(box.exchange(), "PulsSeq", "Stp1", "stale");
    TrainSegmenter s(compiled, kSequencedMode);
    EXPECT_EQ(s.BuildSequenced(), 0);
    EXPECT_TRUE(s.steps.empty());
    EXPECT_EQ(box.prompts.lastText(), "Exceeds max sequence steps\nTry in the Optins another Mode "
                                      "of Operation,\nSee log file");
    s.WriteSequenceTable();
    EXPECT_EQ(box.get(box.exchange(), "PulsSeq", "Stp1"), "<absent>");
    EXPECT_NE(ReadWholeFile(box.session().logFile)
                  .value_or("")
                  .find("\n=========Exceeds max sequence steps  Mode of Operation= 0\n"),
              std::string::npos);
}

TEST_F(TrainSegmenterTest, SectionPerSegmentPlaysEachSectionItsRepeatTimes) {
    compiled.links = {{-1, 3, 0, 1}, {0, 20, 0, 5}, {-1, 1, 1, 1}, {20, 40, 0, -5}};
    compiled.sectionRanges = {{0, 1, 1}, {2, 3, 3}};
    TrainSegmenter s(compiled, kSectionPerSegmentMode);
    EXPECT_EQ(s.BuildPerSection(), 4);
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].repeat, "3");
    EXPECT_EQ(test::SamplesOf(s.steps[1].path), std::vector<short>(20, -5));
    EXPECT_EQ(s.segmentCount, 2);
    EXPECT_DOUBLE_EQ(s.memoryUsed, 40);
}

TEST_F(TrainSegmenterTest, ContinuousSegmentHoldsWholePasses) {
    compiled.links = {{-1, 1, 0, 1}, {0, 7, 0, 3}};
    compiled.sectionRanges = {{0, 1, 1}};
    TrainSegmenter s(compiled, kContinuousMode);
    s.BuildContinuous();
    ASSERT_EQ(s.steps.size(), 1u);
    EXPECT_EQ(test::SamplesOf(s.steps[0].path).size(), 28u); // 3 passes reach 16, 4 a multiple of 4
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
