#include "fm/FmComposer.h"
#include "document/DocFixture.h"
#include "document/SegmentTables.h"
#include "document/WaveDownload.h"
#include "document/WaveFormats.h"
#include "fm/FmMarkers.h"

namespace tw {
namespace {

class FmComposerTest : public test::DocFixture {
  protected:
    FmComposerTest() : DocFixture(kFmComposer) {}
    FmComposer& fm = use<FmComposer>();
    std::vector<std::int32_t> markers() const {
        return {fm.fmMarkerPoints().begin(), fm.fmMarkerPoints().end()};
    }
};

TEST_F(FmComposerTest, DeviationMarkersAndDownloadReachTheHost) {
    box.set(box.exchange(), "FmMark0", "Mrk0", "126000000");
    start();
    // No carrier in the exchange file: half the upper limit, a tenth of it as deviation.
    EXPECT_EQ(doc->vMin(), 118.75e6);
    EXPECT_EQ(doc->vMax(), 131.25e6);
    EXPECT_EQ(fm.initialPoint(), 125000000);
    EXPECT_EQ(doc->samples().at(0), 125000000);
    EXPECT_TRUE(markers().empty()) << "a flat wave crosses nothing";

    for (std::size_t i = 0; i < doc->samples().size(); ++i)
        test::Put(doc->samples(), i, 125000000 + static_cast<std::int32_t>(i) * 2000);
    doc->CommitEdit();
    EXPECT_EQ(markers(), std::vector<std::int32_t>{500}) << "the edit moves the markers";
    EXPECT_EQ(fm.fmMarkersInRange(), 1);

    DeviationChange c = fm.ApplyDeviation(*doc, "1e6");
    ASSERT_TRUE(c.accepted);
    EXPECT_EQ(doc->vMax(), 125.5e6);
    EXPECT_EQ(markers(), std::vector<std::int32_t>{0}) << "the value left the range";
    EXPECT_EQ(fm.DeviationText(), "1e6");

    fm.ApplyDeviation(*doc, "4e6");
    EXPECT_EQ(markers(), std::vector<std::int32_t>{500});
    DownloadWaveform(*doc);
    std::string file = box.tmp() + "FmDef.wvf";
    EXPECT_EQ(link.sent, (std::vector<std::string>{"Cmd=:FM:DEV 1e6", "Cmd=:FM:DEV 4e6",
                                                   "FMwav=" + file + "\n"}));
    EXPECT_EQ(ReadWholeFile(box.tmp() + "$xMark"), FmMarkerFileText(fm.fmMarkerPoints()));
    EXPECT_EQ(exch("Settings", "FmDev0"), "4e6");
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST_F(FmComposerTest, CarrierOutsideTheLimitsFailsTheSetUp) {
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK x 100 150");
    start();
    EXPECT_TRUE(fm.setUpFailed());
    box.set(box.descr(), "ParmLst", "Sclk", "SCLK x 10 250e6");
    EXPECT_TRUE(doc->SetUpFmChannel());
    EXPECT_FALSE(fm.setUpFailed());
}

TEST_F(FmComposerTest, OpenedFrequenciesSetTheRange) {
    start();
    std::vector<std::int32_t> wave(1000);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = 100000000 + static_cast<std::int32_t>(i) * 20000;
    wave[10] = 260000000; // above the FM limit: the range stops at the limit
    const std::string file = box.write("ramp.wvf", "");
    ASSERT_TRUE(WriteNativeFile(file, wave, PointLayout::Int32));
    ASSERT_TRUE(doc->Open({file, 0}));
    EXPECT_EQ(doc->vMin(), 100e6);
    EXPECT_EQ(doc->vMax(), 250e6);
    EXPECT_EQ(fm.DeviationText(), "150000000");
    EXPECT_EQ(exch("Settings", "FmDev0"), "150000000");
    EXPECT_EQ(exch("Settings", "FmCarFrq"), "175000000");

    // In abstract mode the points are no frequencies: the range stays.
    FmComposer abstract(box.session(), true);
    WeDoc second(abstract, box.prompts);
    ASSERT_TRUE(abstract.ApplyDeviation(second, "2e6").accepted);
    ASSERT_TRUE(second.Open({file, 0}));
    EXPECT_EQ(second.vMax(), 126e6);
    EXPECT_EQ(abstract.DeviationText(), "2e6");
}

TEST_F(FmComposerTest, EachFpSegmentShowsItsOwnDeviationAndOpenKeepsIt) {
    box.useFpSegments(2);
    box.set(box.exchange(), "Settings", "ModCarFrq", "100e6");
    box.set(box.exchange(), "FmSegmTbl", "FmDev2", "8e6");
    box.set(box.exchange(), "FmSegmTbl", "FmDev3", "4e6");
    start();
    EXPECT_EQ(fm.DeviationText(), "8e6");
    EXPECT_EQ(doc->vMax(), 104e6);

    int segment = 3;
    ASSERT_TRUE(CheckSegmentNumber(*doc, segment));
    EXPECT_EQ(fm.DeviationText(), "4e6");
    EXPECT_EQ(doc->vMax(), 102e6);

    // The segment keeps its stored deviation when a wave is opened into it.
    const std::string file = box.write("flat.wfp", "");
    ASSERT_TRUE(
        WriteNativeFile(file, std::vector<std::int32_t>(300, 90000000), PointLayout::Record6));
    ASSERT_TRUE(doc->Open({file, 0}));
    EXPECT_EQ(doc->vMax(), 102e6);
    EXPECT_EQ(fm.DeviationText(), "4e6");
}

} // namespace
} // namespace tw
