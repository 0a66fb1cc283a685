#include "DocFixture.h"
#include "host/ExchangeFile.h"

#include "app/ProfileStore.h"

namespace tw {
namespace {

using test::Int16Bytes;
using test::ReadInt16File;

class SegmentTablesTest : public test::DocFixture {
  protected:
    void entry(int channel, int segment, const std::string& path) const {
        box.set(box.exchange(), "SegmTbl-ch" + std::to_string(channel), std::to_string(segment),
                path);
    }
};

TEST_F(SegmentTablesTest, RecordSegmentPicksTheTableAndReadsBack) {
    std::string path = "/w/a.wav", fm = "/w/fm.wvf", fp = "/w/fp.wfp", back, none;
    RecordSegment(box.session(), 4, 1, path, false);
    RecordSegment(box.session(), -1, 0, fm, false);
    RecordSegment(box.session(), 3, 0, fp, true);
    EXPECT_EQ(exch("SegmTbl-ch1", "4"), path);
    EXPECT_EQ(exch("FmSegmTbl", "1"), fm);
    EXPECT_EQ(exch("FmSegmTbl", "3"), fp);
    EXPECT_EQ(exch("Modif", "4"), "Yes");
    EXPECT_TRUE(RecordSegment(box.session(), 4, 1, back, false));
    EXPECT_EQ(back, path);
    EXPECT_FALSE(RecordSegment(box.session(), 5, 1, none, false));
}

TEST_F(SegmentTablesTest, SegmentNumberGoesToTheNearestFreeOne) {
    box.set(box.descr(), "Interface", "AcSeg", ":TRAC:SEL 1");
    start();
    entry(0, 2, box.tmp() + "TemS2.wa0");
    int segment = 7;
    ASSERT_TRUE(CheckSegmentNumber(*doc, segment));
    EXPECT_EQ(segment, 3);
    EXPECT_EQ(box.prompts.lastText(),
              "Segment number 7 will be replaced with\nthe nearest free segment number 3.");
    EXPECT_EQ(doc->activeSegment(), 3);
    EXPECT_EQ(exch("Settings", "AcSeg"), "3 1");
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:TRAC:SEL 3"});
    EXPECT_EQ(exch("Modif", "Common"), "Yes");
    // A never-used segment gets a 1024-point file named after segment and channel.
    EXPECT_EQ(doc->pathName(), box.tmp() + "TemS3.wa0");
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 1024u);

    box.prompts.clear();
    segment = 4;
    ASSERT_TRUE(CheckSegmentNumber(*doc, segment));
    EXPECT_EQ(segment, 4);
    EXPECT_TRUE(box.prompts.asked.empty());
    segment = 1;
    ASSERT_TRUE(CheckSegmentNumber(*doc, segment));
    EXPECT_EQ(doc->activeSegment(), 1);

    segment = 0;
    EXPECT_FALSE(CheckSegmentNumber(*doc, segment));
    EXPECT_EQ(segment, 1);
    EXPECT_EQ(box.prompts.lastText(), "Value is out of range. Previous value will be restored.");
    segment = 16385;
    EXPECT_FALSE(CheckSegmentNumber(*doc, segment));

    // With an empty table any number becomes one.
    DeleteProfileSection(box.session(), "SegmTbl-ch0", box.exchange());
    box.set(box.exchange(), "SegmTbl-ch0", "13Bit4", "1");
    segment = 4;
    CheckSegmentNumber(*doc, segment);
    EXPECT_EQ(segment, 1);
    EXPECT_EQ(box.prompts.lastText(),
              "Segment number 4 will be replaced with\nthe nearest free segment number 1.");
}

TEST_F(SegmentTablesTest, SwitchingSegmentsLoadsTheirFilesDropsUndoAndAsksTheIncrement) {
    start();
    doc->SetWavelength(400);
    entry(0, 2, box.write("seg2.wav", Int16Bytes(std::vector<std::int16_t>(200, 7))));
    int segment = 2;
    CheckSegmentNumber(*doc, segment);
    EXPECT_EQ(doc->wavelength(), 200);
    EXPECT_EQ(doc->samples().at(0), 7);
    EXPECT_EQ(doc->fileName(), box.root() + "/seg2.wav");
    EXPECT_FALSE(doc->CanUndo());
    segment = 1;
    CheckSegmentNumber(*doc, segment);
    EXPECT_EQ(doc->wavelength(), 400);
    EXPECT_TRUE(doc->fileName().empty());

    // A cancelled increment question shows the segment unchanged.
    std::string bytes = Int16Bytes(std::vector<std::int16_t>(1001, 5));
    entry(0, 2, box.write("odd.wav", bytes));
    box.prompts.then(Answer::Cancel);
    segment = 2;
    CheckSegmentNumber(*doc, segment);
    EXPECT_TRUE(box.prompts.sawText("Wavelength = 1001"));
    EXPECT_EQ(doc->wavelength(), 1001);
    EXPECT_EQ(doc->pathName(), box.root() + "/odd.wav");
    EXPECT_EQ(ReadWholeFile(box.root() + "/odd.wav"), bytes);

    // Answering Yes cuts the file to the increment.
    segment = 1;
    CheckSegmentNumber(*doc, segment);
    box.prompts.then(Answer::Yes);
    segment = 2;
    CheckSegmentNumber(*doc, segment);
    EXPECT_EQ(doc->wavelength(), 1000);
    EXPECT_EQ(FileSize(box.root() + "/odd.wav"), 2000);
}

TEST_F(SegmentTablesTest, UnreadableSegmentFileAtStartGivesANewWaveform) {
    std::string bad = box.write("bad.xyz", "garbage");
    entry(0, 1, bad);
    start();
    EXPECT_EQ(doc->wavelength(), 1000);
    EXPECT_EQ(doc->pathName(), box.tmp() + "TemS1.wa0");
    EXPECT_EQ(ReadInt16File(doc->pathName()), std::vector<std::int16_t>(1000, 0));
    EXPECT_EQ(ReadWholeFile(bad), "garbage");
    EXPECT_TRUE(doc->fileName().empty());
}

TEST_F(SegmentTablesTest, PatternFileFollowsTheSegmentLength) {
    box.set(box.descr(), "WaveDown", "PattSync", "PattTbl");
    start();
    ASSERT_TRUE(doc->limits().pattSyncTable);
    doc->SetWavelength(1000);
    std::string pattern = box.tmp() + "TemS1.wpt0";
    EXPECT_EQ(exch("PattTbl-ch0", "1"), pattern);
    ASSERT_EQ(FileSize(pattern), 1000);
    WriteFileAtomically(pattern, std::string(1000, '\x5a'));
    doc->SetWavelength(1200);
    std::string bytes = ReadWholeFile(pattern).value_or("");
    ASSERT_EQ(bytes.size(), 1200u);
    EXPECT_EQ(bytes.substr(0, 1000), std::string(1000, '\x5a'));
    EXPECT_EQ(bytes.substr(1000), std::string(200, '\0'));
}

TEST_F(SegmentTablesTest, PartnerChannelFollowsTheWavelength) {
    box.set(box.descr(), "WaveDown", "CommonSegmForAllChan", "1");
    start();
    std::string partner = box.write("partner.wav", Int16Bytes({1, 2, 3}));
    entry(1, 1, partner);
    doc->SetWavelength(16);
    std::vector<std::int16_t> expected(16, 0);
    expected[0] = 1, expected[1] = 2, expected[2] = 3;
    EXPECT_EQ(ReadInt16File(partner), expected);
    DeleteProfileKey(box.session(), "SegmTbl-ch1", "1", box.exchange());
    doc->SetWavelength(20);
    EXPECT_EQ(exch("SegmTbl-ch1", "1"), box.tmp() + "TemS1.wa1");
    EXPECT_EQ(ReadInt16File(box.tmp() + "TemS1.wa1").size(), 20u);
}

} // namespace
} // namespace tw
