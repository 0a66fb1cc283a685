#include "MemoryTarget.h"

#include "generators/DcWaveModel.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// The checks go in order, ranges first and then start before end, each putting its field back.
TEST(DcWaveModelTest, RefusesInOrderThenFillsTheRangeStoresAndMovesOn) {
    test::Sandbox box;
    test::MemoryTarget doc(box.session(), box.prompts, 100, 7);
    doc.lower = -8192;
    doc.upper = 8191;
    DcWaveModel m(doc);
    m.Open();
    EXPECT_EQ(m.fields()[DcWaveModel::kLevel].text, "0");
    m.fields()[DcWaveModel::kEnd].text = "150";
    m.fields()[DcWaveModel::kLevel].text = "9000";
    EXPECT_FALSE(m.Preview());
    EXPECT_EQ(box.prompts.asked.back().caption, "End");
    EXPECT_EQ(box.prompts.lastText(), "Data 150.00 out of range.\nRange: [0.00,99.00]");
    EXPECT_EQ(m.fields()[DcWaveModel::kEnd].text, "99");
    EXPECT_FALSE(m.Preview());
    EXPECT_EQ(box.prompts.asked.back().caption, "Level");
    EXPECT_EQ(m.fields()[DcWaveModel::kLevel].text, "8190"); // upper level minus one
    m.fields()[DcWaveModel::kStart].text = "60";
    m.fields()[DcWaveModel::kEnd].text = "50";
    EXPECT_FALSE(m.Accept());
    EXPECT_EQ(box.prompts.asked.back().caption, "Error");
    EXPECT_EQ(box.prompts.lastText(), "Start must beequalor  less than End");
    EXPECT_EQ(m.focus(), DcWaveModel::kEnd);
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(100, 7));

    m.fields()[DcWaveModel::kStart].text = "10";
    m.fields()[DcWaveModel::kEnd].text = "19";
    m.fields()[DcWaveModel::kLevel].text = "-40.7";
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(doc.wave()[9], 7);
    EXPECT_EQ(doc.wave()[10], -40); // truncated toward zero
    EXPECT_EQ(doc.wave()[19], -40);
    EXPECT_EQ(doc.wave()[20], 7);
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_bgn"), "20");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_end"), "99");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Dc_level"), "-40.7");
    EXPECT_EQ(doc.commits, 1);
}

TEST(DcWaveModelTest, FmComposerDefaultsToTheMiddleLevel) {
    test::Sandbox box(1);
    test::MemoryTarget doc(box.session(), box.prompts, 10, 0);
    doc.fm = true;
    doc.lower = 0;
    doc.upper = 1000000000;
    DcWaveModel m(doc);
    m.Open();
    EXPECT_EQ(m.fields()[DcWaveModel::kLevel].text, "500000000");
    m.fields()[DcWaveModel::kLevel].text = "1000000000"; // the upper level itself is allowed
    ASSERT_TRUE(m.Preview());
    EXPECT_EQ(doc.wave()[0], 1000000000);
    m.Cancel();
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(10, 0));
}

} // namespace
} // namespace tw
