#include "MemoryTarget.h"
#include "support/HostRecorder.h"

#include "generators/CardiacEcg.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(CardiacEcgTest, DefaultsPlaceTheWavesAndThePeakOfR) {
    std::vector<std::int32_t> w(1000, 99);
    GenerateEcg(w, EcgShape{}, 8191);
    for (int i = 0; i < 1000; ++i) {
        const bool inside =
            (i >= 150 && i <= 299) || (i >= 400 && i <= 549) || (i >= 600 && i <= 849);
        if (!inside) {
            EXPECT_EQ(w[i], 0) << i;
        }
    }
    // P and T peaks at 0.1 h and 0.2 h; Q from 0 down to -0.1 h (429: sin(3 deg) short of it),
    // R's upstroke from there to its peak at 468, its downstroke over the start of S, which rises
    // from -0.25 h back to 0.
    const std::pair<std::size_t, std::int32_t> points[] = {{225, 819},   {725, 1638},  {400, 0},
                                                           {429, -776},  {430, -819},  {468, 8191},
                                                           {505, -1778}, {507, -1904}, {549, -1}};
    for (auto [i, v] : points)
        EXPECT_EQ(w[i], v) << i;
    EXPECT_LT(w[467], 8191);
    EXPECT_LT(w[469], 8191);
    EXPECT_GT(w[160], 0);

    EcgShape noQ;
    noQ.h2 = 0;
    GenerateEcg(w, noQ, 8191);
    EXPECT_EQ(w[410], 0);
    EXPECT_EQ(w[430], 0);
    EXPECT_GT(w[431], 0);
}

class CardiacEcgModelTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    test::MemoryTarget doc{box.session(), box.prompts, 100, 5};
    test::HostRecorder link;
    CardiacEcgModel m{doc};
    void SetUp() override {
        box.set(box.exchange(), "AppTits", "AC", "Consolia");
        m.Open();
    }
    void set(int field, const char* text) { m.texts()[field] = text; }
};

TEST_F(CardiacEcgModelTest, ChecksLimitsSumsAndOverlapsInOrder) {
    set(CardiacEcgModel::kH1, "2");
    set(CardiacEcgModel::kW1, "65");
    EXPECT_EQ(m.Preview(), CardiacEcgModel::Outcome::Refused);
    EXPECT_EQ(box.prompts.asked.back().caption, "H1");
    EXPECT_EQ(box.prompts.lastText(), "Data 2.00 out of range.\nRange: [-1.00,1.00]");
    EXPECT_EQ(m.focus(), CardiacEcgModel::kH1);

    set(CardiacEcgModel::kH1, "0.1");
    EXPECT_EQ(m.Preview(), CardiacEcgModel::Outcome::Refused);
    EXPECT_EQ(box.prompts.asked.back().caption, "W1+W2+W3<=100%");
    EXPECT_EQ(box.prompts.lastText(), "Cardiac components are out of range");

    set(CardiacEcgModel::kW1, "30");
    EXPECT_EQ(m.Accept(), CardiacEcgModel::Outcome::Refused);
    EXPECT_EQ(box.prompts.asked.back().caption, "Setting conflict");
    EXPECT_EQ(box.prompts.lastText(), "Cardiac component T0+W1 overlaps other fields");

    set(CardiacEcgModel::kW1, "15");
    set(CardiacEcgModel::kT2, "55"); // the T wave starts on the end of the QRS complex
    EXPECT_EQ(m.Accept(), CardiacEcgModel::Outcome::Refused);
    EXPECT_EQ(box.prompts.lastText(), "Cardiac component T1+W2 overlaps other fields");
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(100, 5));
    EXPECT_EQ(doc.commits, 0);
}

TEST_F(CardiacEcgModelTest, ForceRateSendsTheClockAndOkStoresTheFields) {
    set(CardiacEcgModel::kRate, "300");
    m.forceRate = true;
    ASSERT_EQ(m.Accept(), CardiacEcgModel::Outcome::Done);
    EXPECT_DOUBLE_EQ(m.sampleClock(), 500);
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], "cmd=:FREQ:RAST 500.000000");
    EXPECT_EQ(box.get(box.descr(), "TdWav_Cardiac", "Rate"), "300");
    EXPECT_EQ(box.get(box.descr(), "TdWav_Cardiac", "ForceRate"), "1");
    EXPECT_EQ(doc.wave()[47], 8191); // the R stroke of 4 points starts at 43
    EXPECT_EQ(doc.commits, 1);

    CardiacEcgModel again(doc);
    again.Open();
    EXPECT_EQ(again.texts()[CardiacEcgModel::kRate], "300");
    EXPECT_TRUE(again.forceRate);
    again.Default();
    EXPECT_EQ(again.texts()[CardiacEcgModel::kRate], "60");
    EXPECT_FALSE(again.forceRate);
}

TEST_F(CardiacEcgModelTest, ClockBelowTheInstrumentsLowestAsksFirst) {
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK 100e6 1000 250e6");
    box.prompts.then(Answer::No);
    EXPECT_EQ(m.Preview(), CardiacEcgModel::Outcome::Close);
    EXPECT_EQ(box.prompts.asked.back().caption, "Warning");
    EXPECT_EQ(box.prompts.asked.back().buttons, Buttons::YesNo);
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(100, 5));
    box.prompts.then(Answer::Yes);
    EXPECT_EQ(m.Preview(), CardiacEcgModel::Outcome::Done);
    EXPECT_NE(doc.wave(), std::vector<std::int32_t>(100, 5));
    m.Cancel();
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(100, 5));
    EXPECT_TRUE(link.sent.empty());
}

} // namespace
} // namespace tw
