// Open and Save As of the document through the format table.
#include "DocFixture.h"

#include "document/FormatRegistry.h"

namespace tw {
namespace {

using test::ReadInt16File;

class DocumentFormatsTest : public test::DocFixture {};

class FmDocumentFormatsTest : public test::DocFixture {
  protected:
    FmDocumentFormatsTest() : DocFixture(kFmComposer) {}
};

// Save As by code, as each row's role says: the native form becomes the segment's file, ASCII
// and comma-delimited copies name the document, the positive copy does not, LeCroy's ".0*" is
// passed over in silence and the other read-only forms show the document's file again.
TEST_F(DocumentFormatsTest, SaveAsFollowsTheRoleOfTheCodesRow) {
    start();
    const std::string native = box.root() + "/n.wav";
    ASSERT_TRUE(doc->SaveAs(native, kNativeCode));
    const std::string working = box.tmp() + "TemS1.wa0";
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

// The FM dialog gives the code one past its list for an extension it does not know: nothing is
// written and nothing is read as columns.
TEST_F(FmDocumentFormatsTest, CodesPastTheListReadAndWriteNothing) {
    start();
    const int past = static_cast<int>(FileFormatsOf(PointLayout::Int32).size());
    const std::string csv = box.root() + "/fm.csv";
    ASSERT_TRUE(doc->SaveAs(csv, past));
    EXPECT_FALSE(FileExists(csv));

    const std::vector<std::int32_t> before = test::Values(doc->samples());
    const std::string rows = box.write("rows.txt", "0,1\n1,2\n2,3\n");
    EXPECT_FALSE(doc->Open({rows, past}));
    EXPECT_EQ(box.prompts.lastText(),
              "Cannot convert the format to binary format \nor invalid file path");
    EXPECT_EQ(test::Values(doc->samples()), before);

    const std::string asf = box.root() + "/fm.asf";
    ASSERT_TRUE(doc->SaveAs(asf, kAsciiCode));
    EXPECT_EQ(doc->fileName(), asf);
    EXPECT_TRUE(doc->Open({asf, kAsciiCode}));
    EXPECT_EQ(test::Values(doc->samples()), before);
}

TEST_F(DocumentFormatsTest, OpenOfAFileThatCannotBeReadNamesItAndTheReason) {
    start();
    const std::string folder = box.root() + "/waves/folder.asc";
    ASSERT_TRUE(CreateFolder(folder));
    box.prompts.clear();
    EXPECT_FALSE(doc->Open({folder, kAsciiCode}));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, "Unable to read " + folder + "\nIs a directory");
    EXPECT_EQ(box.prompts.asked[0].icon, Icon::Exclamation);
    EXPECT_EQ(doc->pathName(), box.tmp() + "TemS1.wa0");
    EXPECT_EQ(ReadInt16File(doc->pathName()).size(), doc->samples().size());
}

} // namespace
} // namespace tw
