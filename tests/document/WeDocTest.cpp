#include "DocFixture.h"

#include "app/ProfileStore.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"
#include "support/FileSizeLimit.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw {
namespace {

using test::ReadInt16File;

class WeDocTest : public test::DocFixture {};

std::string Join(const std::vector<std::int16_t>& values, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? separator : "") + std::to_string(values[i]);
    return text;
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> temporaries;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(".~tw") != std::string::npos)
            temporaries.push_back(e.path().string());
    return temporaries;
}

TEST_F(WeDocTest, FirstUpdateCreatesTheWorkingFileNewClearsItAndDestructionCleansUp) {
    box.set(box.exchange(), "TdWav_Par", "Prv_bgn", "3");
    box.write("Consolia/tmp/^^Dwn.wav", "x");
    start();
    EXPECT_EQ(doc->undoFile(), box.tmp() + "UndoTD.wav");
    std::string working = box.tmp() + "TemS1.wa0";
    EXPECT_EQ(doc->pathName(), working);
    EXPECT_EQ(doc->wavelength(), 1024);
    EXPECT_EQ(ReadInt16File(working), std::vector<std::int16_t>(1024, 0));
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), working);
    EXPECT_TRUE(doc->fileName().empty());

    // New keeps the length, clears the values and can be undone.
    doc->samples().Assign(1024, 77);
    doc->CommitEdit();
    box.set(box.exchange(), "TdWav_Par", "Prv_end", "9");
    doc->New();
    EXPECT_EQ(test::Values(doc->samples()), std::vector<std::int32_t>(1024, 0));
    EXPECT_EQ(exch("TdWav_Par", "Prv_end"), "<absent>");
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->samples().at(0), 77);

    box.set(box.exchange(), "TdWav_Par", "Prv_bgn", "3");
    doc.reset();
    EXPECT_EQ(exch("TdWav_Par", "Prv_bgn"), "<absent>");
    EXPECT_FALSE(FileExists(box.tmp() + "^^Dwn.wav"));
    ASSERT_EQ(link.posted.size(), 1u);
    EXPECT_EQ(link.posted[0], std::make_pair(5L, 0L));
}

// A length out of range or unchanged leaves everything alone; one the instrument's increment does
// not divide asks.
TEST_F(WeDocTest, WavelengthChangesAreCheckedAgainstTheInstrument) {
    start();
    doc->SetWavelength(8);
    EXPECT_EQ(box.prompts.lastText(), "Value is out of range. Previous value will be restored.");
    doc->SetWavelength(16777220);
    EXPECT_EQ(box.prompts.asked.size(), 2u);
    doc->SetWavelength(1024);
    EXPECT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(doc->wavelength(), 1024);
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(seen.wavelengthShows, 3);

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
        EXPECT_EQ(doc->wavelength(), c.expected) << c.typed;
        ASSERT_EQ(box.prompts.asked.size(), 1u);
        EXPECT_EQ(box.prompts.asked[0].text,
                  "Wavelength = " + std::to_string(c.typed) +
                      "\ndoes not divide by the incremental resolution = 4\nas specified for "
                      "this instrument.\nPress:\n\t'Yes' - to truncate wavelength,\n\t'No' - to "
                      "round off wavelength.");
        EXPECT_EQ(box.prompts.asked[0].buttons, Buttons::YesNoCancel);
    }
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 1004u);
    EXPECT_TRUE(doc->SetWavelength(16777216)) << "the instrument's longest";
    const std::string log = ReadWholeFile(box.session().logFile).value_or("");
    EXPECT_NE(log.find("SetWlen = 16777216\n"), std::string::npos);
}

// Every change names the points it wrote; the commit writes the working file once and repaints
// what was marked since the last one: the merged range, or everything after a length change.
TEST_F(WeDocTest, CommitWritesOnceRepaintsWhatTheEditsMarkedAndUndoesToTheSnapshot) {
    start();
    test::Put(doc->samples(), 100, {1, 2});
    test::Put(doc->samples(), 10, 3);
    EXPECT_EQ(ReadInt16File(doc->pathName())[101], 0) << "nothing is written before the commit";
    ASSERT_TRUE(doc->CommitEdit());
    using Range = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(seen.repainted, std::vector<Range>{Range(10, 101)});
    EXPECT_EQ(seen.paths, (std::vector<std::pair<std::string, bool>>{{doc->pathName(), true}}));
    EXPECT_EQ(ReadInt16File(doc->pathName())[101], 2);

    doc->samples().Resize(2048, 0);
    ASSERT_TRUE(doc->CommitEdit());
    EXPECT_EQ(seen.repainted.back(), Range(WeDocListener::kAll, WeDocListener::kAll));
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 2048u);
    EXPECT_EQ(seen.paths.size(), 2u);

    // A drawing tool takes its snapshot when it starts; cancelled, it changed nothing, so Undo
    // still goes back to before the last change.
    const std::vector<std::int32_t> before = test::Values(doc->samples());
    ASSERT_TRUE(doc->SnapshotForUndo());
    test::Fill(doc->samples(), 1);
    ASSERT_TRUE(doc->CommitEdit());
    ASSERT_TRUE(doc->SnapshotForUndo());
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), before);
    EXPECT_TRUE(Leftovers(box.tmp()).empty());
}

TEST_F(WeDocTest, SaveAsBinaryMakesTheUserFileTheSegmentsFileAndSaveRewritesIt) {
    start();
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    std::string user = box.root() + "/mine.wav";
    box.set(box.exchange(), "Modif", "Segm1-0", "Yes");
    test::Put(doc->samples(), 0, 12);
    ASSERT_TRUE(doc->SaveAs(user, 0));
    EXPECT_EQ(doc->fileName(), user);
    EXPECT_EQ(ReadInt16File(user)[0], 12);
    EXPECT_EQ(exch("Modif", "Segm1-0"), "<absent>");
    EXPECT_EQ(seen.title, "Tidewright -> " + user);

    test::Put(doc->samples(), 0, 13);
    EXPECT_EQ(doc->Save(), SaveResult::Saved);
    EXPECT_EQ(ReadInt16File(user)[0], 13);

    ASSERT_TRUE(doc->SaveAs(box.root() + "/Untitled.wav", 0));
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    ASSERT_TRUE(doc->SaveAs(box.root() + "/mine.asc", kAsciiCode));
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);
    EXPECT_TRUE(doc->fileName().empty());

    // Into the tmp folder only when the user says so.
    std::string inTmp = box.tmp() + "keep.wav";
    box.prompts.then(Answer::No);
    EXPECT_FALSE(doc->SaveAs(inTmp, 0));
    EXPECT_EQ(box.prompts.lastText(), "Storing in Temporary folder is not recommended.\nSave ?");
    EXPECT_FALSE(FileExists(inTmp));
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(doc->SaveAs(inTmp, 0));
    EXPECT_TRUE(FileExists(inTmp));
}

// Save As by code, as each row's role says: the native form becomes the segment's file, ASCII
// and comma-delimited copies name the document, the positive copy does not, LeCroy's ".0*" is
// passed over in silence and the other read-only forms show the document's file again.
TEST_F(WeDocTest, SaveAsFollowsTheRoleOfTheCodesRow) {
    start();
    const std::string native = box.root() + "/n.wav";
    ASSERT_TRUE(doc->SaveAs(native, kNativeCode));
    struct Case {
        int code;
        const char* name;
        bool written;
        bool named;
    };
    for (Case c :
         {Case{kAsciiCode, "a.asc", true, true}, Case{kCsvCode, "c.csv", true, true},
          Case{kLeCroyCode, "l.001", false, false}, Case{kPositiveCode, "p.pwav", true, false},
          Case{kTraceCode, "t.trc", false, false}, Case{kTxtCode, "x.txt", false, false},
          Case{static_cast<int>(FileFormatsOf(PointLayout::Int16).size()), "u.doc", false,
               false}}) {
        SCOPED_TRACE(c.name);
        doc->SetFileNameFrom(native);
        seen.title.clear();
        seen.paths.clear();
        const std::string path = box.root() + "/" + c.name;
        ASSERT_TRUE(doc->SaveAs(path, c.code));
        EXPECT_EQ(FileExists(path), c.written);
        EXPECT_EQ(doc->fileName(), c.named ? path : native);
        const bool shown = !c.written && c.code != kLeCroyCode;
        EXPECT_EQ(seen.title, shown ? "Tidewright -> " + native : "");
        EXPECT_EQ(seen.paths.size(), shown ? 1u : 0u);
    }
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), native);
}

TEST_F(WeDocTest, OpenLoadsTheFileAFileInsideTmpHasNoNameAndUndoGivesBackTheOpenedPoints) {
    start();
    std::vector<std::int16_t> values(200);
    std::iota(values.begin(), values.end(), -100);
    std::string user = box.write("waves/ramp.wav", test::Int16Bytes(values));
    ASSERT_TRUE(doc->Open({user, 0}));
    EXPECT_EQ(doc->wavelength(), 200);
    EXPECT_EQ(doc->samples().at(199), 99);
    EXPECT_EQ(doc->fileName(), user);
    EXPECT_EQ(doc->pathName(), user);
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), user);
    ASSERT_TRUE(doc->CanUndo());
    EXPECT_EQ(ReadInt16File(doc->undoFile()).size(), 1024u);

    std::string inTmp = box.write("Consolia/tmp/ramp.wav", test::Int16Bytes(values));
    ASSERT_TRUE(doc->Open({inTmp, 0}));
    EXPECT_TRUE(doc->fileName().empty());
    EXPECT_EQ(doc->Save(), SaveResult::NeedsSaveAs);

    // A stray last byte is no point: the points file holds exactly the points.
    const std::string odd = box.write("waves/odd.wav", std::string(2001, '\x01'));
    ASSERT_TRUE(doc->Open({odd, kNativeCode}));
    EXPECT_EQ(doc->wavelength(), 1000);
    EXPECT_EQ(doc->pointsFile(), odd);
    EXPECT_EQ(FileSize(odd), 2000);
    const std::string riff =
        box.write("waves/odd-riff.wav", "RIFF" + std::string(40, 'h') + std::string(2001, 'r'));
    ASSERT_TRUE(doc->Open({riff, kNativeCode}));
    EXPECT_EQ(FileSize(doc->pointsFile()), 2000);
    EXPECT_EQ(FileSize(riff), 2045) << "the file the user chose stays";

    // The undo copy is taken of the file that holds the points, never of the text, header or
    // trace bytes of the file the user chose.
    struct Case {
        std::string file;
        int code;
    };
    for (const Case& c :
         {Case{box.write("waves/a.asc", Join(values, " ")), kAsciiCode},
          Case{box.write("waves/r.wav", "RIFF" + std::string(40, 'h') + test::Int16Bytes(values)),
               kNativeCode}}) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(doc->Open({c.file, c.code}));
        const std::vector<std::int32_t> opened = test::Values(doc->samples());
        ASSERT_EQ(opened.size(), 200u);
        ASSERT_TRUE(doc->SnapshotForUndo());
        test::Fill(doc->samples(), 3);
        ASSERT_TRUE(doc->CommitEdit());
        ASSERT_TRUE(doc->Undo());
        EXPECT_EQ(test::Values(doc->samples()), opened);
        EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 200u);
        EXPECT_FALSE(doc->CanUndo());
    }
}

TEST_F(WeDocTest, FailedOpenReportsAndKeepsTheWaveform) {
    start();
    test::Put(doc->samples(), 1, 5);
    doc->CommitEdit();
    EXPECT_FALSE(doc->Open({box.root() + "/missing.wav", 0}));
    EXPECT_EQ(box.prompts.lastText(),
              "Cannot convert the format to binary format \nor invalid file path");
    EXPECT_EQ(box.prompts.asked.back().icon, Icon::Exclamation);

    // Every file of the bad corpus fails under its own extension, stretched or not, with string
    // 3014 first, keeps the document as it was and leaves no file behind.
    const std::string working = ReadWholeFile(doc->pathName()).value_or("");
    const std::string bad = std::string(TW_TEST_DATA_DIR) + "/bad";
    const std::vector<std::string> badFiles = Listing(bad), tmpFiles = Listing(box.tmp());
    ASSERT_GE(badFiles.size(), 20u);
    for (const std::string& name : badFiles) {
        const std::string file = bad + "/" + name;
        SCOPED_TRACE(file);
        const int code = FormatCodeFromName(file, PointLayout::Int16);
        ASSERT_GE(code, 0);
        ImportContext unstretched;
        unstretched.stretch = false;
        EXPECT_FALSE(ImportWaveFile(file, code, unstretched).ok);
        box.prompts.clear();
        EXPECT_FALSE(doc->Open({file, code}));
        ASSERT_EQ(box.prompts.asked.size(), 1u);
        EXPECT_EQ(box.prompts.lastText().rfind(
                      "Cannot convert the format to binary format \nor invalid file path", 0),
                  0u);
        EXPECT_EQ(doc->samples().size(), 1024u);
        EXPECT_EQ(doc->pathName(), box.tmp() + "TemS1.wa0");
        EXPECT_EQ(ReadWholeFile(doc->pathName()), working);
        EXPECT_FALSE(doc->CanUndo());
    }
    EXPECT_EQ(Listing(bad), badFiles);
    EXPECT_EQ(Listing(box.tmp()), tmpFiles);
}

TEST_F(WeDocTest, OpenAsksBeforeItsConversionReplacesAnotherFileBesideTheSource) {
    start();
    const std::string mine = test::Int16Bytes({7, 7, 7, 7});
    const std::string neighbour = box.write("waves/x.wav", mine);
    const std::string asc = box.write("waves/x.asc", "1 2 3 4");
    // Unanswered, as with TIDEWRIGHT_NONINTERACTIVE=1: the default is to keep the file.
    ASSERT_TRUE(doc->Open({asc, kAsciiCode}));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text.rfind(neighbour + "\nalready exists.", 0), 0u);
    EXPECT_EQ(box.prompts.asked[0].buttons, Buttons::YesNoDefaultNo);
    EXPECT_EQ(ReadWholeFile(neighbour), mine);
    const std::string inTmp = box.tmp() + "Converted/x.wav";
    EXPECT_EQ(doc->pointsFile(), inTmp);
    EXPECT_EQ(ReadInt16File(inTmp), (std::vector<std::int16_t>{1, 2, 3, 4}));
    EXPECT_EQ(exch("SegmTbl-ch0", "1"), inTmp);
    EXPECT_EQ(doc->pathName(), asc);
    EXPECT_TRUE(doc->fileName().empty()) << "the points live only in the tmp folder";

    box.prompts.clear();
    box.prompts.then(Answer::Yes);
    ASSERT_TRUE(doc->Open({asc, kAsciiCode}));
    EXPECT_EQ(ReadInt16File(neighbour), (std::vector<std::int16_t>{1, 2, 3, 4}));
    EXPECT_EQ(doc->fileName(), neighbour);
    box.prompts.clear();
    ASSERT_TRUE(doc->Open({asc, kAsciiCode}));
    EXPECT_TRUE(box.prompts.asked.empty()) << "a file holding exactly these points is used";

    const std::string tbr = box.write("waves/r_TBR.wav", "mine");
    ASSERT_TRUE(
        doc->Open({box.write("waves/r.wav", "RIFF" + std::string(40, 'h') + mine), kNativeCode}));
    EXPECT_TRUE(box.prompts.sawText(tbr + "\nalready exists."));
    EXPECT_EQ(ReadWholeFile(tbr), "mine");
    EXPECT_EQ(doc->pointsFile(), box.tmp() + "Converted/r_TBR.wav");
    EXPECT_TRUE(Leftovers(box.root() + "/waves").empty());
}

// A folder that cannot be written, also not by root: a read-only bind mount in a mount namespace
// of a child process. Skipped where the system allows no such mount.
TEST_F(WeDocTest, OpenConvertsIntoTheTmpFolderWhenTheSourceFolderCannotBeWritten) {
    start();
    const std::string folder = box.root() + "/cd";
    const std::string asc = box.write("cd/x.asc", "5 6 7 8");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) ||
            mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr))
            _exit(77);
        const bool opened = doc->Open({asc, kAsciiCode});
        const int result = !opened                                              ? 1
                           : !box.prompts.asked.empty()                         ? 2
                           : doc->pointsFile() != box.tmp() + "Converted/x.wav" ? 3
                           : test::Values(doc->samples()) != std::vector<std::int32_t>{5, 6, 7, 8}
                               ? 4
                           : FileExists(folder + "/x.wav") ? 5
                                                           : 0;
        _exit(result);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no read-only bind mount here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1 not opened, 2 asked, 3 elsewhere, 4 points, 5 written";
}

// A full disk, as a file size limit makes it also for root: each failed write says which file and
// why, and the points, the working file, the undo file and the segment's marks stay as they were.
TEST_F(WeDocTest, FailedWritesAreShownAndLeaveTheDocumentAsItWas) {
    start();
    ASSERT_TRUE(doc->SnapshotForUndo());
    test::Fill(doc->samples(), 5);
    ASSERT_TRUE(doc->CommitEdit());
    const std::string working = doc->pathName();
    const std::string workingBytes = ReadWholeFile(working).value_or("");
    const std::string undoBytes = ReadWholeFile(doc->undoFile()).value_or("");
    const std::vector<std::int32_t> before = test::Values(doc->samples());
    const std::string asc =
        box.write("waves/long.asc", Join(std::vector<std::int16_t>(600, 1), " "));
    const std::string exported = box.root() + "/out.asc";
    DeleteProfileKey(box.session(), "Modif", "1", box.exchange());
    const std::string full = "\nFile too large";
    auto unchanged = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(test::Values(doc->samples()), before);
        EXPECT_EQ(doc->wavelength(), 1024);
        EXPECT_EQ(doc->pathName(), working);
        EXPECT_EQ(doc->pointsFile(), working);
        EXPECT_EQ(ReadWholeFile(working), workingBytes);
        EXPECT_EQ(ReadWholeFile(doc->undoFile()), undoBytes);
        EXPECT_EQ(exch("Modif", "1"), "<absent>");
    };
    {
        test::FileSizeLimit diskFull(1000);
        ASSERT_TRUE(doc->SnapshotForUndo());
        test::Fill(doc->samples(), 9);
        EXPECT_FALSE(doc->CommitEdit());
        EXPECT_EQ(box.prompts.lastText(), "Unable to write " + working + full);
        unchanged("CommitEdit");
        box.prompts.then(Answer::Yes);
        EXPECT_FALSE(doc->SetWavelength(2000));
        EXPECT_EQ(box.prompts.lastText(), "Unable to write " + working + full);
        unchanged("SetWavelength");
        EXPECT_FALSE(doc->New());
        unchanged("New");
        EXPECT_FALSE(doc->Open({asc, kAsciiCode}));
        EXPECT_EQ(box.prompts.lastText(),
                  "Unable to write " + box.tmp() + "Converted/long.wav" + full);
        unchanged("Open");
        EXPECT_FALSE(doc->SaveAs(exported, kAsciiCode));
        EXPECT_EQ(box.prompts.lastText(), "Unable to write " + exported + full);
        EXPECT_FALSE(FileExists(exported));
        unchanged("Save As");
        EXPECT_FALSE(doc->TrimLeft(24));
        EXPECT_EQ(box.prompts.lastText(), "Unable to write " + working + full);
        unchanged("Trim Left");
    }
    EXPECT_TRUE(Leftovers(box.tmp()).empty());
    EXPECT_TRUE(Leftovers(box.root() + "/waves").empty());
    ASSERT_TRUE(doc->Undo()) << "the undo file still holds the points from before the edit";
    EXPECT_EQ(test::Values(doc->samples()), std::vector<std::int32_t>(1024, 0));

    // Undo whose working file cannot be replaced keeps its points and its undo file.
    ASSERT_TRUE(doc->SnapshotForUndo());
    test::Fill(doc->samples(), 4);
    ASSERT_TRUE(doc->CommitEdit());
    RemoveFile(working);
    std::filesystem::create_directories(working + "/in-the-way");
    EXPECT_FALSE(doc->Undo());
    EXPECT_EQ(box.prompts.lastText(), "Unable to write " + working + "\nIs a directory");
    EXPECT_EQ(test::Values(doc->samples()), std::vector<std::int32_t>(1024, 4));
    EXPECT_TRUE(doc->CanUndo());
}

// The points the trims keep are the view test's; here the working file, the increment question,
// the instrument's least length and one Undo back to the wave from before.
TEST_F(WeDocTest, TrimsWriteTheWorkingFileAskTheIncrementAndUndoReturns) {
    start();
    test::Iota(doc->samples(), 0);
    ASSERT_TRUE(doc->CommitEdit());
    const std::vector<std::int32_t> ramp = test::Values(doc->samples());

    ASSERT_TRUE(doc->TrimLeft(24));
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 1000u);
    EXPECT_EQ(ReadInt16File(doc->pathName())[0], 24);
    EXPECT_EQ(doc->pathName(), box.tmp() + "TemS1.wa0");
    EXPECT_FALSE(FileExists(box.tmp() + "AA.tmp"));
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), ramp);

    // 1021 points do not divide by 4: Yes truncates to 1020, the points from 4 on.
    box.prompts.then(Answer::Yes);
    ASSERT_TRUE(doc->TrimLeft(3));
    EXPECT_EQ(doc->wavelength(), 1020);
    EXPECT_EQ(doc->samples().at(0), 4);
    ASSERT_TRUE(doc->Undo());
    box.prompts.then(Answer::Cancel);
    EXPECT_FALSE(doc->TrimLeft(3));
    EXPECT_EQ(test::Values(doc->samples()), ramp);

    // Fewer points than the instrument's least 16.
    EXPECT_FALSE(doc->TrimRight(14));
    EXPECT_EQ(box.prompts.lastText(), "Value is out of range. Previous value will be restored.");
    EXPECT_EQ(test::Values(doc->samples()), ramp);
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), 1024u);
}

// Where the user works is the document's: a switch is sent to the instrument, written to the
// exchange file for the host and told to the listener; the host's own changes are taken over
// without a write.
TEST_F(WeDocTest, SwitchesAreSentAndPublishedTheHostsAreTakenOverAndMemoryCleared) {
    box.set(box.exchange(), "Settings", "AcSeg", "1 4");
    start();
    box.set(box.exchange(), "TdWav_Par", "Prv_bgn", "1");
    doc->SelectChannel(0);
    EXPECT_TRUE(link.sent.empty());

    box.set(box.descr(), "Interface", "ActiveCh", ":INST:SEL 7");
    doc->SelectChannel(1);
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:INST:SEL 2"});
    EXPECT_EQ(exch("TdWav_Par", "Prv_bgn"), "<absent>");
    EXPECT_EQ(exch("Settings", "ActiveCh"), "1");
    EXPECT_EQ(doc->activeSegment(), 4) << "the host's entry for the channel";
    EXPECT_EQ(doc->segTableSection(), "SegmTbl-ch1");
    EXPECT_EQ(doc->pathName(), box.tmp() + "TemS4.wa1");
    EXPECT_EQ(exch("SegmTbl-ch1", "4"), box.tmp() + "TemS4.wa1");
    EXPECT_EQ(seen.activeChanges, 2) << "the channel, then its segment";

    doc->SelectSegment(6);
    EXPECT_EQ(exch("Settings", "AcSeg"), "1 6");
    EXPECT_EQ(seen.activeChanges, 3);

    // A value without a blank after its first character is used whole; none at all gives ":INST ".
    box.set(box.descr(), "Interface", "ActiveCh", "CHAN");
    doc->SelectChannel(0);
    DeleteProfileKey(box.session(), "Interface", "ActiveCh", box.descr());
    doc->SelectChannel(1);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"Cmd=:INST:SEL 2", "Cmd=CHAN1", "Cmd=:INST 2"}));

    box.set(box.exchange(), "Settings", "ActiveCh", "0");
    const std::string before = ReadWholeFile(box.exchange()).value_or("");
    const int changes = seen.activeChanges;
    doc->RereadActive();
    EXPECT_EQ(doc->active().channel, 0);
    EXPECT_EQ(doc->active().segment, 1);
    EXPECT_EQ(doc->segTableSection(), "SegmTbl-ch0");
    EXPECT_EQ(seen.activeChanges, changes + 1);
    EXPECT_EQ(ReadWholeFile(box.exchange()).value_or(""), before);
    doc->RereadActive();
    EXPECT_EQ(seen.activeChanges, changes + 1) << "nothing changed, nothing told";

    // Clearing the memory asks for the active channel.
    link.sent.clear();
    box.prompts.then(Answer::Cancel);
    EXPECT_FALSE(doc->ClearMemory());
    EXPECT_EQ(box.prompts.lastText(), "Confirm clear the entire memory for channel 1");
    EXPECT_TRUE(link.sent.empty());
    box.prompts.then(Answer::Ok);
    EXPECT_TRUE(doc->ClearMemory());
    EXPECT_EQ(link.sent, std::vector<std::string>{"Cmd=:TRAC:DEL:ALL"});
}

} // namespace
} // namespace tw
