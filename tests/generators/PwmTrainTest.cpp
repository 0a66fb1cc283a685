#include "generators/PwmTrain.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(PwmTrainTest, PulseCountHoldsWholeModulationPeriods) {
    PulseCount c = CountPulses(1e-3, 1e-4); // r = 10
    EXPECT_EQ(c.m, 1);
    EXPECT_EQ(c.n, 10);
    c = CountPulses(2.5e-4, 1e-4); // r = 2.5: 2500 and 1000 share 500
    EXPECT_EQ(c.m, 2);
    EXPECT_EQ(c.n, 5);
    c = CountPulses(1.02e-3, 1e-4); // r = 10.2: 10200 and 1000 share 200
    EXPECT_EQ(c.m, 5);
    EXPECT_EQ(c.n, 51);
}

TEST(PwmTrainTest, WidthsFollowTheirLaw) {
    PwmInput in;
    in.pulseWidth = 1;
    in.index = 50;
    const PulseCount four{1, 4};
    auto w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[0], 1);
    EXPECT_DOUBLE_EQ(w[1], 1.25);
    EXPECT_NEAR(w[2], 1, 1e-12);
    EXPECT_DOUBLE_EQ(w[3], 0.75);

    in.law = PwmLaw::Triangle; // in phase with the sine
    w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[0], 1);
    EXPECT_DOUBLE_EQ(w[1], 1.25);
    EXPECT_DOUBLE_EQ(w[2], 1);
    EXPECT_DOUBLE_EQ(w[3], 0.75);

    in.law = PwmLaw::TwoLevel;
    in.offset = 10; // the offset keeps its sign on both levels
    w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[0], 1.35);
    EXPECT_DOUBLE_EQ(w[2], 1.35);
    EXPECT_DOUBLE_EQ(w[3], 0.85);

    in.law = PwmLaw::External;
    w = PulseWidths(in, four);
    EXPECT_DOUBLE_EQ(w[3], 1.1);
}

TEST(PwmTrainTest, EdgesEndEachPeriodWithItsPulse) {
    const std::vector<double> widths = {2, 3};
    auto e = EdgeSteps(10, widths, 0.5);
    EXPECT_EQ(e, (std::vector<double>{0, 16, 20, 34, 40}));
    EXPECT_DOUBLE_EQ(SmallestEdgeDistance(e), 4);
    EXPECT_EQ(EdgeStepDivisor(e), 2);
    EXPECT_EQ(EdgeStepDivisor({0, 3, 5}), 1);
}

TEST(PwmTrainTest, DelayWavePlacesEachPulseInItsPart) {
    PwmInput in;
    in.pulsePeriod = 1e-4;
    in.pulseWidth = 2e-5;
    in.index = 10;  // start area
    in.offset = 30; // end area
    auto w = BuildDelayWave(in, 10000, 10, 100, -100);
    // q = 1000, a = 200; pulse 0: delay 5, from 105 to 305.
    EXPECT_EQ(w.points[104], -100);
    EXPECT_EQ(w.points[105], 100);
    EXPECT_EQ(w.points[305], 100);
    EXPECT_EQ(w.points[306], -100);
    // Pulse 1: delay 5 + trunc(sin(36 deg) * 200) = 122.
    EXPECT_EQ(w.points[1221], -100);
    EXPECT_EQ(w.points[1222], 100);
    EXPECT_EQ(w.points[1422], 100);
    EXPECT_EQ(w.firstFall, 306);
    EXPECT_EQ(w.firstMiddle, 205);

    in.law = PwmLaw::TwoLevel; // any other law: a fixed delay of 1
    w = BuildDelayWave(in, 10000, 10, 100, -100);
    EXPECT_EQ(w.points[100], -100);
    EXPECT_EQ(w.points[101], 100);
    EXPECT_EQ(w.points[1101], 100);
}

} // namespace
} // namespace tw
