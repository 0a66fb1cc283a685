#include "MemoryTarget.h"
#include "support/HostRecorder.h"

#include "app/FileUtil.h"
#include "document/WaveFormats.h"
#include "generators/CardiacEcg.h"
#include "generators/DcWaveModel.h"
#include "generators/WaveBackup.h"
#include "generators/WaveParamModel.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tw {
namespace {

class WaveParamModelTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    test::MemoryTarget doc{box.session(), box.prompts};

    void SetUp() override { test::Iota(doc.stored, -500); }
    std::string par(const char* key) const { return box.get(box.exchange(), "TdWav_Par", key); }
};

TEST_F(WaveParamModelTest, OpensFromTheDescriptionFileAndWritesMissingDefaults) {
    WaveParamModel m(Shape::Sine, doc);
    m.Open();
    EXPECT_EQ(m.title(), "Sine Wave");
    ASSERT_EQ(m.fields().size(), 7u);
    EXPECT_EQ(m.fields()[1].text, "999");
    EXPECT_EQ(m.fields()[2].text, "0");
    EXPECT_EQ(m.fields()[3].text, "16383");
    EXPECT_EQ(m.fields()[5].label, "Start Phase (deg)");
    EXPECT_EQ(m.fields()[4].upper, 500); // cycles: at most half the wavelength
    EXPECT_EQ(m.fields()[5].lower, -360);
    EXPECT_EQ(par("Cycl"), "1");
    EXPECT_EQ(par("Equ"), "amp*sin(omg*p)");
    EXPECT_EQ(doc.anchorEnd, 999);

    // The backup holds the wave as it was, 2 bytes a point.
    EXPECT_EQ(FileSize(WaveBackupPath(box.session().tmpFolder)), 2000);
}

TEST_F(WaveParamModelTest, OkGeneratesStoresMovesTheRangeOnAndLeavesOneUndoStep) {
    const auto before = doc.wave();
    WaveParamModel m(Shape::Square, doc);
    m.Open();
    m.fields()[1].text = "499";
    m.fields()[2].text = "100";
    m.fields()[3].text = "200";
    m.fields()[5].text = "25";
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(doc.commits, 1);
    EXPECT_EQ(doc.wave()[0], 200);
    EXPECT_EQ(doc.wave()[125], 100);
    EXPECT_EQ(doc.wave()[500], before[500]);
    EXPECT_EQ(par("Prv_bgn"), "500");
    EXPECT_EQ(par("Prv_end"), "999");
    EXPECT_EQ(par("Duty"), "25");
    EXPECT_EQ(ReadNativeFile(doc.undoFile(), PointLayout::Int16).points, before);

    WaveParamModel next(Shape::Sine, doc);
    next.Open();
    EXPECT_EQ(next.fields()[0].text, "500");
    EXPECT_EQ(next.fields()[1].text, "999");
    EXPECT_EQ(next.fields()[2].text, "100");

    // Ending within the last three points keeps the range for the next call.
    next.fields()[0].text = "0";
    next.fields()[1].text = "997";
    ASSERT_TRUE(next.Accept());
    EXPECT_EQ(par("Prv_bgn"), "0");
    EXPECT_EQ(par("Prv_end"), "997");
}

TEST_F(WaveParamModelTest, RefusalsAndCancelAfterPreviewsKeepTheWave) {
    test::Put(doc.stored, 3, -32768); // the full 16-bit range survives the backup
    test::Put(doc.stored, 4, 32767);
    const auto before = doc.wave();
    WaveParamModel m(Shape::Sine, doc);
    m.Open();
    m.fields()[3].text = "20000";
    EXPECT_FALSE(m.Preview());
    EXPECT_EQ(box.prompts.lastText(),
              "Parameter 4 value = 20000.00 \nRange: min= 1.00  max=16383.00");
    EXPECT_EQ(box.prompts.asked.back().caption, "Tidewright");
    EXPECT_EQ(m.fields()[3].text, "16383");
    m.fields()[4].text = "0";
    EXPECT_FALSE(m.Preview());
    EXPECT_EQ(m.fields()[4].text, "0.001");

    m.fields()[4].text = "1";
    m.fields()[0].text = "600";
    m.fields()[1].text = "600";
    EXPECT_FALSE(m.Accept());
    EXPECT_EQ(box.prompts.lastText(), "Invalid Min/Max values.");
    m.fields()[1].text = "700";
    m.fields()[2].text = "300";
    m.fields()[3].text = "200";
    EXPECT_FALSE(m.Accept());
    EXPECT_EQ(doc.wave(), before);

    m.fields()[2].text = "0";
    ASSERT_TRUE(m.Preview());
    m.fields()[4].text = "3";
    ASSERT_TRUE(m.Preview());
    EXPECT_NE(doc.wave(), before);
    m.Cancel();
    EXPECT_EQ(doc.wave(), before);
    EXPECT_EQ(doc.commits, 0);
    EXPECT_EQ(par("Cycl"), "1"); // Preview stores nothing
}

TEST_F(WaveParamModelTest, DefaultReplacesTheDocumentWordsAndZeroPowerBecomesOne) {
    box.set(box.descr(), "TdWav_Defpar", "Width", "WavLen Width_(points) 1 16777216");
    box.set(box.descr(), "TdWav_Defpar", "Wavmin", "Wavmin Min 0 0");
    doc.lower = -100;
    WaveParamModel g(Shape::Gaussian, doc);
    g.Open();
    EXPECT_EQ(par("Width"), "1000");
    EXPECT_EQ(par("Wavmin"), "-100");
    EXPECT_EQ(g.fields()[5].text, "1000");

    WaveParamModel m(Shape::Sine, doc);
    m.Open();
    m.fields()[6].text = "0";
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(par("Power"), "1");
    m.fields()[6].text = "7";
    m.Default();
    EXPECT_EQ(m.fields()[6].text, "1");
}

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

// P over 150..299 and T over 600..849 peaking at 0.1 h and 0.2 h; Q from 400 down to -0.1 h,
// R's peak at 468, S rising from -0.25 h back to 0 at 549; nothing between the waves.
TEST(CardiacEcgTest, DefaultsPlaceTheWavesAndThePeakOfR) {
    std::vector<std::int32_t> w(1000, 99);
    GenerateEcg(w, EcgShape{}, 8191);
    EXPECT_EQ(w, test::Recorded("ecg-default.wav"));
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
