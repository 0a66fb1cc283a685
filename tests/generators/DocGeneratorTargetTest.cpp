#include "../document/DocFixture.h"

#include "expr/EquationEditor.h"
#include "generators/CardiacEcg.h"
#include "generators/DocGeneratorTarget.h"
#include "generators/PwmModel.h"
#include "generators/WaveBackup.h"
#include "generators/WaveParamModel.h"

#include <numeric>

namespace tw {
namespace {

class DocGeneratorTargetTest : public test::DocFixture {
  protected:
    explicit DocGeneratorTargetTest(int composer = 0) : DocFixture(composer) {}
    std::vector<std::int32_t> original; // the points before any dialog
    std::string originalBytes;          // and the working file holding them

    void fill(std::int32_t first) {
        test::Iota(doc->samples(), first);
        doc->CommitEdit();
        original = test::Values(doc->samples());
        originalBytes = ReadWholeFile(doc->pathName()).value_or("");
    }
    // Preview and Cancel commit nothing; OK commits once.
    // commitPreview: the preview is committed, as the ECG dialog's is.
    void squareOver(GeneratorTarget& target, int last, bool commitPreview = false) {
        WaveParamModel square(Shape::Square, target);
        square.Open();
        square.fields()[1].text = std::to_string(last);
        ASSERT_TRUE(square.Preview());
        ASSERT_NE(test::Values(doc->samples()), original);
        if (commitPreview) {
            target.commitEdit();
            ASSERT_NE(ReadWholeFile(doc->pathName()), originalBytes);
        }
        const std::size_t commits = seen.paths.size();
        square.Cancel();
        EXPECT_EQ(test::Values(doc->samples()), original);
        EXPECT_EQ(seen.paths.size(), commits);
        ASSERT_TRUE(square.Accept());
        ASSERT_NE(test::Values(doc->samples()), original);
        EXPECT_EQ(seen.paths.size(), commits + 1);
    }
};

// The document's file is the dialog's backup while it holds the wave from before the dialog: a
// few points cost what they change, a commit during the dialog keeps the bytes it replaces, and
// a whole wave is copied only when a commit changes more than a quarter of it.
TEST_F(DocGeneratorTargetTest, TheBackupIsTheDocumentsFileAndOneUndoReturnsToIt) {
    struct Case {
        int last;
        bool commitDuringDialog;
        bool copied; // a whole copy of the wave was made (OK after a commit needs one)
    };
    for (const Case c : {Case{99, false, false}, Case{99, true, true}, Case{999, false, true},
                         Case{999, true, true}}) {
        SCOPED_TRACE(std::to_string(c.last) + (c.commitDuringDialog ? " committed" : ""));
        start();
        fill(-300);
        RemoveFile(WaveBackupPath(box.session().tmpFolder));
        DocGeneratorTarget target(*doc, box.prompts);
        squareOver(target, c.last, c.commitDuringDialog);
        EXPECT_EQ(FileExists(WaveBackupPath(box.session().tmpFolder)), c.copied);
        EXPECT_EQ(ReadWholeFile(doc->pathName()).value_or("").size(), originalBytes.size());
        const auto generated = test::Values(doc->samples());
        // The backup outlives OK: the equation editor evaluates from it again.
        ASSERT_TRUE(target.restoreDialogBackup());
        EXPECT_EQ(test::Values(doc->samples()), original);
        doc->samples().Assign(generated);
        doc->CommitEdit();

        ASSERT_TRUE(doc->Undo());
        EXPECT_EQ(test::Values(doc->samples()), original);
        EXPECT_EQ(ReadWholeFile(doc->pathName()), originalBytes);
        doc.reset();
    }
}

TEST_F(DocGeneratorTargetTest, EquationEditorReloadsTheBackupAfterItsOk) {
    start();
    fill(0);
    DocGeneratorTarget target(*doc, box.prompts);
    EquationEditor editor(target);
    editor.Open();
    editor.fields = {0, 99, 0, 16383, 1};
    editor.formula = "5000";
    const std::size_t commits = seen.paths.size();
    ASSERT_TRUE(editor.Ok());
    EXPECT_EQ(doc->samples().at(99), 5000);
    EXPECT_EQ(seen.paths.size(), commits + 1);

    // Its backup lives for the process: the next evaluation starts from the wave before it.
    editor.fields = {0, 49, 0, 16383, 1};
    ASSERT_TRUE(editor.Preview());
    EXPECT_EQ(doc->samples().at(49), 5000);
    EXPECT_EQ(doc->samples().at(50), original[50]);

    doc->CommitEdit();
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), original);
}

// The heartbeat's preview commits and its Cancel commits the restored wave again; PWM changes
// the wavelength, and one Undo returns to the length and the bytes from before it.
TEST_F(DocGeneratorTargetTest, CommittingGeneratorsLeaveTheFileAsItWasOrOneUndoFromIt) {
    start();
    fill(-512);
    DocGeneratorTarget target(*doc, box.prompts);
    CardiacEcgModel ecg(target);
    ecg.Open();
    ASSERT_EQ(ecg.Preview(), CardiacEcgModel::Outcome::Done);
    EXPECT_NE(ReadWholeFile(doc->pathName()), originalBytes);
    ecg.Cancel();
    EXPECT_EQ(ReadWholeFile(doc->pathName()), originalBytes);
    EXPECT_EQ(test::Values(doc->samples()), original);

    PwmModel pwm(target);
    pwm.Open();
    ASSERT_EQ(pwm.Calculate(), PwmStatus::Ok);
    EXPECT_EQ(ReadWholeFile(doc->pathName()).value_or("").size(), 20000u);
    pwm.Cancel(); // Close keeps the train
    EXPECT_EQ(doc->wavelength(), 10000);
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(doc->wavelength(), 1024);
    EXPECT_EQ(ReadWholeFile(doc->pathName()), originalBytes);
}

class FpSegmentGeneratorTargetTest : public DocGeneratorTargetTest {
  protected:
    FpSegmentGeneratorTargetTest() : DocGeneratorTargetTest(1) {}
};

TEST_F(FpSegmentGeneratorTargetTest, BackupKeepsTheSixByteRecordsOfTheUndoFile) {
    box.useFpSegments(5, "FP Segment 1 64");
    int markerRuns = 0;
    bareFm().markers = [&markerRuns](WeDoc&) { ++markerRuns; };
    start();
    ASSERT_EQ(doc->bytesPerPoint(), 6);
    fill(400000000);
    DocGeneratorTarget target(*doc, box.prompts);
    markerRuns = 0;
    squareOver(target, 999);
    EXPECT_GT(markerRuns, 0); // reloading the backup recomputes the markers
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), original);
}

} // namespace
} // namespace tw
