#include "document/FormatRegistry.h"

#include "DocFixture.h"
#include "document/FileFilters.h"

#include <fnmatch.h>
#include <map>
#include <sstream>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;
constexpr PointLayout kLayouts[] = {PointLayout::Int16, PointLayout::Int32, PointLayout::Record6};

std::vector<std::string> Extensions(PointLayout layout) {
    std::vector<std::string> extensions;
    for (const FileFormat& format : FileFormatsOf(layout))
        extensions.emplace_back(format.extension);
    return extensions;
}

TEST(FormatRegistryTest, EachComposersRowsAreItsExtensionListInCodeOrder) {
    EXPECT_EQ(Extensions(PointLayout::Int16),
              (std::vector<std::string>{"wav", "asc", "csv", "0", "pwav", "trc", "prn", "txt",
                                        "npy", "wav", "mat"}));
    EXPECT_EQ(Extensions(PointLayout::Int32), (std::vector<std::string>{"wvf", "asf", "npy"}));
    EXPECT_EQ(Extensions(PointLayout::Record6), (std::vector<std::string>{"wfp", "afp", "npy"}));
    std::size_t rows = 0;
    for (PointLayout layout : kLayouts) {
        const auto formats = FileFormatsOf(layout);
        rows += formats.size();
        for (std::size_t i = 0; i < formats.size(); ++i) {
            EXPECT_EQ(formats[i].layout, layout);
            EXPECT_EQ(formats[i].code, static_cast<int>(i)) << formats[i].extension;
            EXPECT_EQ(FindFileFormat(layout, static_cast<int>(i)), &formats[i]);
        }
        EXPECT_EQ(FindFileFormat(layout, static_cast<int>(formats.size())), nullptr);
        EXPECT_EQ(FindFileFormat(layout, kCodeFromName), nullptr);
    }
    EXPECT_EQ(rows, AllFileFormats().size()) << "a composer's rows stand together";
}

TEST(FormatRegistryTest, DialogFiltersAreTheTextsAsTheyStand) {
    const FormatTable& standard = FormatTableOf(PointLayout::Int16);
    EXPECT_EQ(FileFilter(standard, DialogKind::Open),
              "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma "
              "delimited(*csv)|*.csv|LeCroy  format (*.0* )|*.0*|LeCroy  format (*.trc "
              ")|*.trc|Space delimited(*.prn)|*.prn|Comma delimited(*txt)|*.txt|"
              "NumPy array (*.npy)|*.npy|MATLAB file (*.mat)|*.mat|All supported files|"
              "*.wav;*.asc;*.csv;*.0*;*.trc;*.prn;*.txt;*.npy;*.mat||");
    EXPECT_EQ(
        FileFilter(standard, DialogKind::Save),
        "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma "
        "delimited(*csv)|*.csv|Positive format (16-bit only) (*.pwav )|*.pwav|"
        "NumPy array (*.npy)|*.npy|PCM audio 16-bit (*.wav)|*.wav|MATLAB file (*.mat)|*.mat||");
    EXPECT_EQ(FileFilter(FormatTableOf(PointLayout::Int32), DialogKind::Open),
              "Binary   (*.wvf)|*.wvf|ASCII -space delimited (*.asf)|*.asf|"
              "All supported files|*.wvf;*.asf||");
    EXPECT_EQ(FileFilter(FormatTableOf(PointLayout::Int32), DialogKind::Save),
              "Binary   (*.wvf)|*.wvf|ASCII -space delimited (*.asf)|*.asf|"
              "NumPy array (*.npy)|*.npy||");
    EXPECT_EQ(&FormatTableFor(kFmComposer, true), &FormatTableOf(PointLayout::Record6));
    EXPECT_EQ(&FormatTableFor(kPulseComposer, true), &FormatTableOf(PointLayout::Int16));
}

TEST(FormatRegistryTest, ExtensionsMatchOverTheLengthOfEachEntry) {
    const FormatTable& standard = FormatTableFor(0, false);
    EXPECT_EQ(FormatCodeOfExtension("WAV", standard), kNativeCode);
    EXPECT_EQ(FormatCodeOfExtension("001", standard), kLeCroyCode);
    EXPECT_EQ(FormatCodeOfExtension("pWav", standard), kPositiveCode);
    EXPECT_EQ(FormatCodeOfExtension("trc", standard), kTraceCode);
    EXPECT_EQ(FormatCodeOfExtension("txt", standard), kTxtCode);
    EXPECT_EQ(FormatCodeOfExtension("wave", standard), kNativeCode);
    const int past = static_cast<int>(standard.formats.size());
    EXPECT_EQ(FormatCodeOfExtension("wa", standard), past);
    EXPECT_EQ(FormatCodeOfExtension("", standard), past);
    EXPECT_EQ(FormatCodeOfExtension("afp", FormatTableFor(1, true)), kAsciiCode);
    EXPECT_EQ(FormatCodeOfExtension("asc", FormatTableFor(1, false)),
              static_cast<int>(FormatTableFor(1, false).formats.size()));

    // Save writes the standard and FM binary names in either composer, ".wfm" too, and no other.
    for (const char* name : {"/w/a.wav", "/w/A.WVF", "/w/b.Wfm"})
        EXPECT_TRUE(SavesAsBinary(name)) << name;
    for (const char* name : {"/w/a.wfp", "/w/a.asc", "/w/a.pwav", "/w/a.wa0", "/w/wav", "/w.wav/a"})
        EXPECT_FALSE(SavesAsBinary(name)) << name;
}

// What a row promises in one place it keeps in the others, so that a new row cannot be offered
// by a dialog that has nothing to do with it.
TEST(FormatRegistryTest, EveryRowCanDoWhatItsDialogsOffer) {
    for (PointLayout layout : kLayouts) {
        int documents = 0;
        for (const FileFormat& f : FileFormatsOf(layout)) {
            SCOPED_TRACE(std::string(f.extension));
            EXPECT_FALSE(f.name.empty());
            EXPECT_NE(f.filter.find('|'), std::string_view::npos);
            if (f.dialogs & kOpenDialog) {
                EXPECT_NE(f.reading.read, nullptr);
            }
            const bool writes = f.writing.save == SaveRole::Document ||
                                f.writing.save == SaveRole::Export ||
                                f.writing.save == SaveRole::NamedExport;
            EXPECT_EQ(f.writing.write != nullptr, writes);
            EXPECT_EQ((f.dialogs & kSaveDialog) != 0, writes);
            if (f.writing.save == SaveRole::Document) {
                ++documents;
                EXPECT_EQ(f.reading.open, OpenRole::Native);
            }
        }
        EXPECT_EQ(documents, 1) << "one native form per composer";
        EXPECT_EQ(FindFileFormat(layout, kNativeCode)->writing.save, SaveRole::Document);
    }
}

// A bare name gets the extension and code of the format its filter shows, and that filter's
// pattern takes the completed name.
TEST(FormatRegistryTest, BareNamesTakeTheFormatOfTheirFilterOrItsPlace) {
    test::Sandbox box;
    auto resolve = [&](auto&&... typed) {
        DialogChoice choice = ResolveTypedName(box.session(), typed...);
        Show(box.prompts, choice.refused);
        return choice;
    };
    for (PointLayout layout : kLayouts)
        for (DialogKind kind : {DialogKind::Open, DialogKind::Save}) {
            const FormatTable& table = FormatTableOf(layout);
            const auto entries = ParseFilter(FileFilter(table, kind));
            const auto listed = DialogFormats(table, kind);
            ASSERT_EQ(entries.size(), listed.size() + (kind == DialogKind::Open ? 1 : 0));
            for (std::size_t i = 0; i < listed.size(); ++i) {
                SCOPED_TRACE(entries[i].display);
                DialogChoice c = resolve("/w/name", static_cast<int>(i), kind, table);
                if (layout == PointLayout::Int16 && kind == DialogKind::Open && i >= 4)
                    continue; // the extension list's entry at the filter's place, below
                EXPECT_EQ(c.code, listed[i]->code);
                EXPECT_EQ(c.path, "/w/name." + std::string(listed[i]->extension));
                EXPECT_EQ(fnmatch(entries[i].pattern.c_str(), FileNameOf(c.path).c_str(), 0), 0)
                    << entries[i].pattern;
                // Typed with its extension under its filter, the name finds the same format.
                EXPECT_EQ(resolve(c.path, static_cast<int>(i), kind, table).code, c.code);
            }
        }
    EXPECT_TRUE(box.prompts.asked.empty());
    // Under the standard Open dialog's ".trc", ".prn" and ".txt" filters a bare name takes the
    // extension list's entry at the filter's place, as that dialog always did.
    const FormatTable& standard = FormatTableOf(PointLayout::Int16);
    EXPECT_EQ(resolve("/w/t", 4, DialogKind::Open, standard).path, "/w/t.pwav");
    EXPECT_EQ(resolve("/w/t", 5, DialogKind::Open, standard).path, "/w/t.trc");
    EXPECT_EQ(resolve("/w/t", 6, DialogKind::Open, standard).code, kPrnCode);

    // Under the last entry, "All supported files", the extension names the format; a bare name
    // is refused.
    const int all = static_cast<int>(DialogFormats(standard, DialogKind::Open).size());
    const struct {
        const char* typed;
        int code;
    } byExtension[] = {{"/w/t.trc", kTraceCode},
                       {"/w/t.001", kLeCroyCode},
                       {"/w/t.mat", kMatCode},
                       {"/w/t.wav", kNativeCode}};
    for (const auto& c : byExtension)
        EXPECT_EQ(resolve(c.typed, all, DialogKind::Open, standard).code, c.code) << c.typed;
    EXPECT_TRUE(box.prompts.asked.empty());
    EXPECT_EQ(resolve("/w/t", all, DialogKind::Open, standard).code,
              static_cast<int>(standard.formats.size()));
    EXPECT_EQ(box.prompts.asked.size(), 1u);

    // A dot in a folder's name is no extension; a typed extension wins over the chosen filter.
    const DialogChoice lecroy = resolve("/w.d/trace", 3, DialogKind::Open, standard);
    EXPECT_EQ(lecroy.path, "/w.d/trace.0");
    EXPECT_EQ(lecroy.code, kLeCroyCode);
    EXPECT_EQ(resolve("/w/s.ASC", 0, DialogKind::Save, standard).code, kAsciiCode);
    box.prompts.clear();
    EXPECT_EQ(resolve("/w/s.doc", 0, DialogKind::Open, standard).code,
              static_cast<int>(standard.formats.size()));
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, "Illegal file name extension.");
    EXPECT_EQ(box.prompts.asked[0].icon, Icon::Exclamation);
    EXPECT_EQ(resolve("/w/s.wav", 0, DialogKind::Save, FormatTableFor(1, false)).code,
              static_cast<int>(FormatTableFor(1, false).formats.size()));
}

// Recorded files of every row as Open finds them (tests/data/document/rows): points.txt holds a
// line "bytes-a-point code file points..." for each, the points read without the stretch.
std::map<std::pair<int, int>, std::pair<std::string, Points>> Samples() {
    std::map<std::pair<int, int>, std::pair<std::string, Points>> samples;
    std::istringstream lines(
        ReadWholeFile(TW_TEST_DATA_DIR "/document/rows/points.txt").value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        int bytes = 0, code = 0;
        std::string name;
        fields >> bytes >> code >> name;
        Points points;
        for (std::int32_t p; fields >> p;)
            points.push_back(p);
        samples[{bytes, code}] = {name, points};
    }
    return samples;
}

// Open's conversion of every row, by its code and by its name, lands the file's points in a
// native file.
TEST(FormatRegistryTest, OpenConvertsAFileOfEveryRow) {
    const auto samples = Samples();
    for (const FileFormat& f : AllFileFormats()) {
        SCOPED_TRACE(std::string(f.extension));
        if (!f.reading.read)
            continue;
        auto sample = samples.find({BytesPerPoint(f.layout), f.code});
        ASSERT_NE(sample, samples.end()) << "every row needs a sample here";
        const auto& [name, points] = sample->second;
        test::Sandbox box; // Open converts beside the file: a copy, not the recorded one
        const std::string path =
            box.write(name, ReadWholeFile(TW_TEST_DATA_DIR "/document/rows/" + name).value_or(""));
        ImportContext ctx;
        ctx.layout = f.layout;
        ctx.stretch = false;
        ctx.askDim = 1;
        for (int code : {f.code, int{kCodeFromName}}) {
            if (code == kCodeFromName && ExtensionOf(path).size() != 3)
                continue; // Open by name takes three-letter extensions only
            ConvertResult c = ConvertToBinary(path, code, ctx);
            ASSERT_TRUE(c.ok) << c.error;
            EXPECT_EQ(ReadNativeFile(c.path, f.layout).points, points);
            EXPECT_EQ(ImportWaveFile(path, code, ctx).points, points);
        }
    }
}

// The FM composer's lists end at code 2: the standard composer's column, trace and positive
// codes (which its dialog gives for an unknown extension) neither read nor write there.
TEST(FormatRegistryTest, CodesPastAComposersListReadAndWriteNothing) {
    test::Sandbox box;
    const std::string columns = box.write("c.csv", "0,1\n1,2\n");
    for (PointLayout layout : {PointLayout::Int32, PointLayout::Record6})
        for (int code : {int{kLeCroyCode}, int{kPositiveCode}, int{kPrnCode}}) {
            SCOPED_TRACE(code);
            ImportContext ctx;
            ctx.layout = layout;
            EXPECT_FALSE(AsksDimension(layout, code));
            EXPECT_FALSE(ImportWaveBytes("0,1\n1,2\n", code, ctx).ok);
            ConvertResult c = ConvertToBinary(columns, code, ctx);
            EXPECT_FALSE(c.ok);
            EXPECT_EQ(c.error, "Cannot convert the format to binary format \nor invalid file path");
            const std::string out = box.root() + "/out";
            EXPECT_FALSE(ExportWaveFile(out, code, Points{1, 2}, ExportContext{layout}));
            EXPECT_FALSE(FileExists(out));
        }
    EXPECT_TRUE(AsksDimension(PointLayout::Int16, kPrnCode));
    EXPECT_FALSE(AsksDimension(PointLayout::Int16, kAsciiCode));
}

// A file that is there but cannot be read is named with the system's reason; a file that is not
// there keeps string 3014, "invalid file path".
TEST(FormatRegistryTest, UnreadableInputsSayWhy) {
    test::Sandbox box;
    for (const char* name : {"folder.asc", "folder.wav"}) {
        const std::string folder = box.root() + "/" + name;
        ASSERT_TRUE(CreateFolder(folder));
        const int code = FormatCodeFromName(folder, PointLayout::Int16);
        ConvertResult c = ConvertToBinary(folder, code, {});
        EXPECT_FALSE(c.ok);
        EXPECT_FALSE(c.failure);
        EXPECT_EQ(c.failure.path(), folder);
        EXPECT_EQ(c.error, "Unable to read " + folder + "\nIs a directory");
        ImportResult r = ImportWaveFile(folder, code, {});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
    }
    const std::string missing = box.root() + "/missing.asc";
    for (const std::string& error : {ConvertToBinary(missing, kAsciiCode, {}).error,
                                     ImportWaveFile(missing, kAsciiCode, {}).error})
        EXPECT_EQ(error, "Cannot convert the format to binary format \nor invalid file path");
    EXPECT_TRUE(ImportWaveFile(missing, kAsciiCode, {}).failure);
}

} // namespace
} // namespace tw
