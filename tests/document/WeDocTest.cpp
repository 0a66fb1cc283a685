#include "DocFixture.h"

#include "app/ProfileStore.h"
#include "document/WaveFormats.h"

#include <filesystem>

#include <numeric>

namespace tw {
namespace {

using test::ReadInt16File;

class WeDocTest : public test::DocFixture {};

TEST_F(WeDocTest, FirstUpdateCreatesTheWorkingFileAndDestructionCleansUp) {
    box.set(box.exchange(), "TdWav_Par", "Prv_bgn", "3");
    box.write("Consolia/tmp/^^Dwn.wav", "x");
    start();
    EXPECT_EQ(doc->resFactor, 4);
    EXPECT_EQ(doc->bytesPerPoint, 2);
    EXPECT_EQ(doc->undoFile, box.tmp() + "UndoTD.wav");
    std::string working = box.tmp() + "TemS1.wa0";
    EXPECT_EQ(doc->pathName, working);
    EXPECT_EQ(doc->wavelength, 1024);
    EXPECT_EQ(ReadInt16File(working), std::vector<std::int16_t>(1024, 0));
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), working);
    EXPECT_TRUE(doc->fileName.empty());

    doc.reset();
    EXPECT_EQ(exch("TdWav_Par", "Prv_bgn"), "<absent>");
    EXPECT_FALSE(FileExists(box.tmp() + "^^Dwn.wav"));
    ASSERT_EQ(link.posted.size(), 1u);
    EXPECT_EQ(link.posted[0], std::make_pair(5L, 0L));
}

TEST_F(WeDocTest, WavelengthIncrementQuestionTruncatesRoundsOrCancels) {
    start();
    struct Case {
        long typed;
        Answer answer;
        double expected;
    };
    for (Case c : {Case{1001, Answer::Yes, 1000}, Case{1001, Answer::No, 1000},
                   Case{1002, Answer::No, 1004}, Case{1003, Answer::Cancel, 1004}}) {
        box.prompts.clear();
        box.prompts.then(c.answer);
        doc->SetWavelength(c.typed);
        EXPECT_EQ(doc->wavelength, c.expected) << c.typed;
        ASSERT_EQ(box.prompts.asked.size(), 1u);
        EXPECT_EQ(box.prompts.asked[0].text,
                  "Wavelength = " + std::to_string(c.typed) +
                      "\ndoes not divide by the incremental resolution = 4\nas specified for "
                      "this instrument.\nPress:\n\t'Yes' - to truncate wavelength,\n\t'No' - to "
                      "round off wavelength.");
        EXPECT_EQ(box.prompts.asked[0].buttons, Buttons::YesNoCancel);
    }
    EXPECT_EQ(ReadInt16File(doc->pathName).size(), 1004u);
}

TEST_F(WeDocTest, WavelengthOutOfRangeOrUnchangedLeavesEverythingAlone) {
    start();
    doc->SetWavelength(8);
    EXPECT_EQ(box.prompts.lastText(), "Value is out of range. Previous value will be restored.");
    doc->SetWavelength(16777220);
    EXPECT_EQ(box.prompts.asked.size(), 2u);
    doc->SetWavelength(1024);
    EXPECT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(doc->wavelength, 1024);
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(seen.wavelengthShows, 3);
}

TEST_F(WeDocTest, LengtheningKeepsValuesAndUndoReturnsOnce) {
    start();
    doc->SetWavelength(100);
    std::iota(doc->points.begin(), doc->points.end(), 1);
    doc->CommitEdit();
    doc->SetWavelength(120);
    std::vector<std::int16_t> file = ReadInt16File(doc->pathName);
    ASSERT_EQ(file.size(), 120u);
    EXPECT_EQ(file[99], 100);
    EXPECT_EQ(file[100], 0);
    EXPECT_EQ(file[119], 0);

    std::string log = ReadWholeFile(launch().logFile).value_or("");
    EXPECT_NE(log.find("SetWlen = 120\n"), std::string::npos);

    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->wavelength, 100);
    EXPECT_EQ(doc->points[99], 100);
    EXPECT_EQ(ReadInt16File(box.tmp() + "TemS1.wa0").size(), 100u);
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_FALSE(doc->Undo());
}

TEST_F(WeDocTest, NewKeepsTheLengthClearsTheValuesAndCanBeUndone) {
    start();
    doc->points.assign(1024, 77);
    doc->CommitEdit();
    box.set(box.exchange(), "TdWav_Par", "Prv_end", "9");
    doc->New();
    EXPECT_EQ(doc->points, std::vector<std::int32_t>(1024, 0));
    EXPECT_EQ(exch("TdWav_Par", "Prv_end"), "<absent>");
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->points[0], 77);
}

TEST_F(WeDocTest, SaveAsBinaryMakesTheUserFileTheSegmentsFileAndSaveRewritesIt) {
    start();
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    std::string user = box.root() + "/mine.wav";
    box.set(box.exchange(), "Modif", "Segm1-0", "Yes");
    doc->points[0] = 12;
    ASSERT_TRUE(doc->SaveAs(user, 0));
    EXPECT_EQ(doc->fileName, user);
    EXPECT_EQ(ReadInt16File(user)[0], 12);
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), user);
    EXPECT_EQ(exch("Modif", "Segm1-0"), "<absent>");
    EXPECT_EQ(seen.title, "Tidewright -> " + user);

    doc->points[0] = 13;
    EXPECT_EQ(doc->Save(), SaveResult::Saved);
    EXPECT_EQ(ReadInt16File(user)[0], 13);

    seen.windowText = "Tidewright - Untitled";
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    seen.windowText.clear();
    doc->fileName = box.root() + "/mine.asc";
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    EXPECT_TRUE(doc->fileName.empty());
}

TEST_F(WeDocTest, SaveAsIntoTheTmpFolderAsksFirst) {
    start();
    std::string inTmp = box.tmp() + "keep.wav";
    box.prompts.then(Answer::No);
    EXPECT_FALSE(doc->SaveAs(inTmp, 0));
    EXPECT_EQ(box.prompts.lastText(), "Storing in Temporary folder is not recommended.\nSave ?");
    EXPECT_FALSE(FileExists(inTmp));
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(doc->SaveAs(inTmp, 0));
    EXPECT_TRUE(FileExists(inTmp));
}

TEST_F(WeDocTest, OpenLoadsTheFileAndAFileInsideTmpHasNoFileName) {
    start();
    std::vector<std::int16_t> values(200);
    std::iota(values.begin(), values.end(), -100);
    std::string user = box.write("waves/ramp.wav", test::Int16Bytes(values));
    ASSERT_TRUE(doc->Open(user, 0));
    EXPECT_EQ(doc->wavelength, 200);
    EXPECT_EQ(doc->points[199], 99);
    EXPECT_EQ(doc->fileName, user);
    EXPECT_EQ(doc->pathName, user);
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), user);
    ASSERT_TRUE(doc->CanUndo());
    EXPECT_EQ(ReadInt16File(doc->undoFile).size(), 1024u);

    std::string inTmp = box.write("Consolia/tmp/ramp.wav", test::Int16Bytes(values));
    ASSERT_TRUE(doc->Open(inTmp, 0));
    EXPECT_TRUE(doc->fileName.empty());
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
}

TEST_F(WeDocTest, OtherFormsAreConvertedOnOpenAndExportedOnSaveAs) {
    start();
    std::string ascii = box.write("waves/three.asc", "-1 0 1 2");
    ASSERT_TRUE(doc->Open(ascii, 1));
    EXPECT_EQ(doc->points, (std::vector<std::int32_t>{-1, 0, 1, 2}));
    EXPECT_EQ(doc->fileName, box.root() + "/waves/three.wav");

    std::string csv = box.root() + "/out.csv";
    ASSERT_TRUE(doc->SaveAs(csv, 2));
    EXPECT_EQ(ReadWholeFile(csv).value_or(""), "0, -1\r\n1, 0\r\n2, 1\r\n3, 2");
    EXPECT_EQ(doc->fileName, csv);
    std::string positive = box.root() + "/out.pwav";
    ASSERT_TRUE(doc->SaveAs(positive, 4));
    EXPECT_EQ(doc->fileName, csv);
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), box.root() + "/waves/three.wav");
}

TEST_F(WeDocTest, FailedOpenReportsAndKeepsTheWaveform) {
    start();
    doc->points[1] = 5;
    doc->CommitEdit();
    EXPECT_FALSE(doc->Open(box.root() + "/missing.wav", 0));
    EXPECT_EQ(box.prompts.lastText(),
              "Cannot convert the format to binary format \nor invalid file path");
    EXPECT_EQ(doc->points[1], 5);
    EXPECT_EQ(doc->pathName, box.tmp() + "TemS1.wa0");
    EXPECT_EQ(ReadInt16File(doc->pathName)[1], 5);

    const std::string working = ReadWholeFile(doc->pathName).value_or("");
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(TW_TEST_DATA_DIR) + "/bad")) {
        std::string file = entry.path().string();
        SCOPED_TRACE(file);
        box.prompts.clear();
        EXPECT_FALSE(doc->Open(file, FormatCodeFromName(file, PointLayout::Int16)));
        EXPECT_EQ(box.prompts.asked.size(), 1u);
        EXPECT_EQ(doc->points.size(), 1024u);
        EXPECT_EQ(doc->pathName, box.tmp() + "TemS1.wa0");
        EXPECT_EQ(ReadWholeFile(doc->pathName), working);
        EXPECT_FALSE(doc->CanUndo());
    }
}

TEST_F(WeDocTest, ChannelSwitchSendsTheHostCommandAndLoadsThatChannel) {
    start();
    box.set(box.exchange(), "TdWav_Par", "Prv_bgn", "1");
    doc->SelectChannel(0);
    EXPECT_TRUE(link.sent.empty());

    box.set(box.descr(), "Interface", "ActiveCh", ":INST:SEL 7");
    doc->SelectChannel(1);
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:INST:SEL 2"});
    EXPECT_EQ(exch("Settings", "ActiveCh"), "1");
    EXPECT_EQ(exch("TdWav_Par", "Prv_bgn"), "<absent>");
    EXPECT_EQ(doc->segTableSection, "SegmTbl-ch1");
    EXPECT_EQ(doc->pathName, box.tmp() + "TemS1.wa1");
    EXPECT_EQ(exch("SegmTbl-ch1", "1"), box.tmp() + "TemS1.wa1");

    // A value without a blank after its first character is used whole; none at all gives ":INST ".
    box.set(box.descr(), "Interface", "ActiveCh", "CHAN");
    doc->SelectChannel(0);
    DeleteProfileKey("Interface", "ActiveCh", box.descr());
    doc->SelectChannel(1);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"Cmd=:INST:SEL 2", "Cmd=CHAN1", "Cmd=:INST 2"}));
}

TEST_F(WeDocTest, ClearMemoryAsksForTheActiveChannel) {
    start();
    box.prompts.then(Answer::Cancel);
    EXPECT_FALSE(doc->ClearMemory());
    EXPECT_EQ(box.prompts.lastText(), "Confirm clear the entire memory for channel 1");
    EXPECT_TRUE(link.sent.empty());
    box.prompts.then(Answer::Ok);
    EXPECT_TRUE(doc->ClearMemory());
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:TRAC:DEL:ALL"});
}

TEST_F(WeDocTest, SixteenMegapointWaveformEditsAndUndoes) {
    start();
    const long big = 16777216;
    ASSERT_TRUE(doc->SetWavelength(big));
    doc->points[big - 1] = 4321;
    doc->CommitEdit(big - 1, big - 1);
    EXPECT_EQ(FileSize(doc->pathName), 2 * big);
    doc->SetWavelength(1000);
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->wavelength, big);
    EXPECT_EQ(doc->points[big - 1], 4321);
}

} // namespace
} // namespace tw
