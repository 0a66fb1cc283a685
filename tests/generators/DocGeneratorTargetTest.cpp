#include "../document/DocFixture.h"

#include "expr/EquationEditor.h"
#include "generators/DocGeneratorTarget.h"
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
        originalBytes = ReadWholeFile(doc->pathName).value_or("");
    }
    // Preview and Cancel commit nothing; OK commits once.
    void squareOverEverything(GeneratorTarget& target) {
        WaveParamModel square(Shape::Square, target);
        square.Open();
        EXPECT_EQ(ReadWholeFile(WaveBackupPath()), originalBytes);
        const std::size_t commits = seen.paths.size();
        ASSERT_TRUE(square.Preview());
        ASSERT_NE(test::Values(doc->samples()), original);
        square.Cancel();
        EXPECT_EQ(test::Values(doc->samples()), original);
        EXPECT_EQ(seen.paths.size(), commits);
        ASSERT_TRUE(square.Accept());
        ASSERT_NE(test::Values(doc->samples()), original);
        EXPECT_EQ(seen.paths.size(), commits + 1);
    }
};

TEST_F(DocGeneratorTargetTest, OkCopiesTheBackupSoItOutlivesTheDialogAndUndoReturnsToIt) {
    start();
    fill(-300);
    DocGeneratorTarget target(*doc);
    squareOverEverything(target);
    // A move would leave nothing for the next reload from the backup.
    EXPECT_EQ(ReadWholeFile(WaveBackupPath()), originalBytes);
    EXPECT_EQ(ReadWholeFile(doc->undoFile), originalBytes);
    const auto generated = test::Values(doc->samples());
    ASSERT_TRUE(target.restoreDialogBackup());
    EXPECT_EQ(test::Values(doc->samples()), original);

    doc->samples().Assign(generated);
    doc->CommitEdit();
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), original);
    EXPECT_EQ(ReadWholeFile(doc->pathName), originalBytes);
}

TEST_F(DocGeneratorTargetTest, EquationEditorReloadsTheBackupAfterItsOk) {
    start();
    fill(0);
    DocGeneratorTarget target(*doc);
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

class FpSegmentGeneratorTargetTest : public DocGeneratorTargetTest {
  protected:
    FpSegmentGeneratorTargetTest() : DocGeneratorTargetTest(1) {}
};

TEST_F(FpSegmentGeneratorTargetTest, BackupKeepsTheSixByteRecordsOfTheUndoFile) {
    box.useFpSegments(5, "FP Segment 1 64");
    int markerRuns = 0;
    bareFm().markers = [&markerRuns](WeDoc&) { ++markerRuns; };
    start();
    ASSERT_EQ(doc->bytesPerPoint, 6);
    fill(400000000);
    DocGeneratorTarget target(*doc);
    markerRuns = 0;
    squareOverEverything(target);
    EXPECT_GT(markerRuns, 0); // reloading the backup recomputes the markers
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(test::Values(doc->samples()), original);
}

} // namespace
} // namespace tw
