#include "DocFixture.h"

#include "app/ProfileStore.h"
#include "document/WaveDownload.h"

namespace tw {
namespace {

class WaveDownloadTest : public test::DocFixture {
  protected:
    std::string download() {
        link.sent.clear();
        DownloadWaveform(*doc);
        return link.sent.empty() ? std::string("<nothing>") : link.sent.back();
    }
};

TEST_F(WaveDownloadTest, FamilyAndCombinedModeChangeTheSegmentCommand) {
    start();
    box.session().family = "K2290";
    doc->SetWavelength(256);
    EXPECT_EQ(download(), "Cmd=1 256\nWav=" + box.tmp() + "TemS1.wa0");

    box.session().family = "TW2000";
    doc->SelectChannel(1);
    doc->SetWavelength(512);
    box.set(box.exchange(), "Settings", "DwnMode", "1");
    box.set(box.descr(), "ParmPnlName", "DwnMode", "Single cOMBined");
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL 1\nWav=" + box.tmp() + "TemS1.wa0&" +
                              box.tmp() + "TemS1.wa1");
    box.set(box.exchange(), "Settings", "DwnMode", "0");
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 1,512;:TRAC:SEL 1\nWav=" + box.tmp() + "TemS1.wa1");
    EXPECT_EQ(exch("SegmStt-Ch1", "1"), "Loaded");
}

TEST_F(WaveDownloadTest, TraceTypePrefixIsAskedStoredAndSuppressed) {
    box.set(box.descr(), "ParmLst", "TracType", "Trace type");
    start();
    ASSERT_TRUE(doc->limits().hasTraceTypes);
    std::string wav = "\nWav=" + box.tmp() + "TemS1.wa0";
    seen.traceType.reset();
    EXPECT_EQ(download(), "Cmd=:TRAC:TYPE arb;:TRAC:DEF 1,1024;:TRAC:SEL 1" + wav);
    EXPECT_EQ(exch("Settings", "TracType"), "<absent>");

    seen.traceType = 1;
    box.set(box.exchange(), "SegmTbl-ch0", "13Bit1", "R");
    box.set(box.exchange(), "SegmTbl-ch0", "14Inv1", "1");
    EXPECT_EQ(download(), "Cmd=:TRAC:TYPE dig;:TRAC:DEF 1,1024;:TRAC:SEL 1" + wav);
    EXPECT_EQ(exch("Settings", "TracType"), "1");
    EXPECT_EQ(box.get(box.session().generalIni, "DwnStr", "13Bit"), "R");
    EXPECT_EQ(box.get(box.session().generalIni, "DwnStr", "14Inv"), "1");
    EXPECT_EQ(box.get(box.session().generalIni, "DwnStr", "13Inv"), "<absent>");
    download();
    EXPECT_EQ(seen.traceTypeQuestions, 2);

    box.set(box.descr(), "Interface", "TracType", "STUB");
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL 1" + wav);
    box.set(box.descr(), "Interface", "TracType", ":TRAC:TYPE");
    box.set(box.descr(), "Instrument", "Pilot", "Yes");
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL 1" + wav);
}

TEST_F(WaveDownloadTest, WithoutHostOrTableEntryTheSegmentIsStillMarkedLoaded) {
    start();
    DeleteProfileKey(box.session(), "SegmTbl-ch0", "1", box.exchange());
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL 1\nWav=");
    EXPECT_EQ(box.prompts.asked.at(0).caption, "Record not found");
    DeleteProfileKey(box.session(), "SegmStt-Ch0", "1", box.exchange());
    DeleteProfileKey(box.session(), "AppTits", "AC", box.exchange());
    EXPECT_EQ(download(), "<nothing>");
    EXPECT_EQ(exch("SegmStt-Ch0", "1"), "Loaded");
}

// After the host's re-read event switched the channel, the download names that channel's file,
// not the one of the channel the document was loaded on.
TEST_F(WaveDownloadTest, AfterTheHostSwitchedTheChannelTheDownloadSendsThatChannelsFile) {
    start();
    const std::string other = box.tmp() + "other.wav";
    box.set(box.exchange(), "SegmTbl-ch1", "2", other);
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "1 2");
    doc->RereadActive();
    LoadActiveSegment(*doc);
    EXPECT_EQ(doc->active().channel, 1);
    EXPECT_EQ(doc->active().segment, 2);
    EXPECT_EQ(download(), "Cmd=:TRAC:DEF 2,1024;:TRAC:SEL 2\nWav=" + other);
    EXPECT_EQ(exch("SegmStt-Ch1", "2"), "Loaded");
    EXPECT_EQ(exch("Modif", "2"), "Yes");
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

TEST(CommandTemplate, NumbersFillOnlyIntegerConversions) {
    EXPECT_EQ(FormatCommandTemplate(":T %d,%d;:S %d", {3, 1000, 3}), ":T 3,1000;:S 3");
    EXPECT_EQ(FormatCommandTemplate("%s %d%% %d", {1}), "%s 1% ");
}

class FmDownloadTest : public test::DocFixture {
  protected:
    FmDownloadTest() : DocFixture(1) {}
};

TEST_F(FmDownloadTest, FpSegmentModeSendsTheDefinitionAndTheMarkerFile) {
    box.useFpSegments(5, "FP Segment 1 64");
    bareFm().markers = [this](WeDoc&) { bareFm().PlaceMarkers({0, 258}); };
    start();
    EXPECT_EQ(doc->bytesPerPoint(), 6);
    std::string file = box.tmp() + "TemS5.wfp";
    EXPECT_EQ(doc->pathName(), file);
    doc->samples().Assign(1000, 500000000);
    doc->CommitEdit();
    EXPECT_EQ(FileSize(file), 6000);

    DownloadWaveform(*doc);
    EXPECT_EQ(link.sent,
              std::vector<std::string>{"FMwav=" + file + "\nCmd=:FM:SEGM:DEF 5, 1000\n"});
    EXPECT_EQ(ReadWholeFile(box.tmp() + "$xMark"), std::string("\0\0\0\0\x02\x01\0\0", 8));
}

} // namespace
} // namespace tw
