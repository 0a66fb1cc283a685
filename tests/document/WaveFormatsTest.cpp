#include "document/WaveFormats.h"

#include "app/FileUtil.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

using Points = std::vector<std::int32_t>;
const char* const k3014 = "Cannot convert the format to binary format \nor invalid file path";

TEST(NativeWaveTest, LayoutsHaveTheirExactBytes) {
    const Points points{-2, 0x1234};
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Int16), std::string("\xFE\xFF\x34\x12", 4));
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Int32),
              std::string("\xFE\xFF\xFF\xFF\x34\x12\x00\x00", 8));
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Record6),
              std::string("\x00\x00\xFE\xFF\xFF\xFF\x00\x00\x34\x12\x00\x00", 12));
    // A record's point is its bytes 2 to 5, whatever the first two hold.
    EXPECT_EQ(DecodeNativePoints(std::string("\x7F\x7F\x05\x00\x00\x00", 6), PointLayout::Record6),
              Points{5});
}

TEST(NativeWaveTest, FilesRoundTripAndUnreadableOnesFail) {
    test::Sandbox box;
    const std::string path = box.tmp() + "TemS1.wa0";
    // More than one read chunk and not a whole number of them, negative points, and a partial
    // point at the end that is not read.
    for (PointLayout layout : {PointLayout::Int16, PointLayout::Int32, PointLayout::Record6}) {
        Points points(70001);
        for (std::size_t i = 0; i < points.size(); ++i)
            points[i] =
                layout == PointLayout::Int16
                    ? static_cast<std::int32_t>(i % 65536) - 32768
                    : static_cast<std::int32_t>(static_cast<std::uint32_t>(i) * 2654435761u);
        std::string bytes = EncodeNativePoints(points, layout);
        bytes.append(static_cast<std::size_t>(BytesPerPoint(layout) - 1), '\x7F');
        ASSERT_TRUE(WriteFileAtomically(path, bytes));
        NativeReadResult read = ReadNativeFile(path, layout);
        EXPECT_TRUE(read.ok);
        EXPECT_EQ(read.points, points) << BytesPerPoint(layout) << " bytes a point";
    }
    ASSERT_TRUE(WriteFileAtomically(path, ""));
    NativeReadResult empty = ReadNativeFile(path, PointLayout::Int32);
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.points.empty());
    EXPECT_FALSE(ReadNativeFile(box.tmp() + "absent.wav", PointLayout::Int16).ok);
    EXPECT_FALSE(ReadNativeFile(box.tmp(), PointLayout::Int16).ok);
}

TEST(WaveExportTest, EachExportFormHasItsExactText) {
    EXPECT_EQ(EncodeWaveFile(Points{5, -3, 7}, kCsvCode, {}), "0, 5\r\n1, -3\r\n2, 7");
    EXPECT_EQ(EncodeWaveFile(Points{-1, 0, 1}, kPositiveCode, {}),
              std::string("\xFF\x7F\x00\x80\x01\x80", 6));
    // printf's "%g": six significant digits, exponent from 1e6 on.
    EXPECT_EQ(EncodeWaveFile(Points{0, -5, 123456, 1234567, 500000000}, kAsciiCode, {}),
              "0 -5 123456 1.23457e+06 5e+08");
}

TEST(AsciiImportTest, TheWideFormReadsBackAndWhatIsNoPointIsRefused) {
    const Points fm{500000000, -7, 0};
    EXPECT_EQ(ImportWaveBytes(EncodeWaveFile(fm, kAsciiCode, {}), kAsciiCode, {PointLayout::Int32})
                  .points,
              fm);
    // What is no point of the layout is refused.
    for (const char* text :
         {"", "  \n ", "1 2 x", "1,2", "40000", "-32769", "1e999", "nan", "- 1"}) {
        auto r = ImportWaveBytes(text, kAsciiCode, {});
        EXPECT_FALSE(r.ok) << text;
        EXPECT_TRUE(r.points.empty());
        EXPECT_EQ(r.error, k3014);
    }
    EXPECT_TRUE(ImportWaveBytes("40000", kAsciiCode, {PointLayout::Int32}).ok);
    EXPECT_FALSE(ImportWaveBytes("5e9", kAsciiCode, {PointLayout::Int32}).ok);
}

// The 16-bit RIFF's own "_TBR.wav" is the RIFF and WeDoc tests'; here the other composers' names.
TEST(ConvertToBinaryTest, NativeNamesFailuresAndTheCodeFromTheName) {
    test::Sandbox box;
    const std::string riff =
        box.write("rec.wav", "riff" + std::string(40, 'h') + std::string(2000, '\x01'));
    EXPECT_EQ(ConvertToBinary(riff, kNativeCode, {PointLayout::Int32}).path,
              box.root() + "/rec_TBR.wvf");
    const std::string positive = box.write("a.pwav", std::string(4, '\0'));
    EXPECT_EQ(ConvertToBinary(positive, kPositiveCode, {}).path, positive);
    const std::string asc = box.write("s.asc", "1 -2 3");
    auto fp = ConvertToBinary(asc, kAsciiCode, {PointLayout::Record6});
    EXPECT_EQ(fp.path, box.root() + "/s.wvf");
    EXPECT_EQ(FileSize(fp.path), 18);

    // A failed conversion leaves existing files alone.
    const std::string keep = box.write("w.wav", "KEEP");
    for (auto [name, code] : {std::pair{"w.asc", kAsciiCode}, {"w.trc", kTraceCode}}) {
        auto c = ConvertToBinary(box.write(name, "1 2 banana"), code, {});
        EXPECT_FALSE(c.ok);
        EXPECT_TRUE(c.path.empty());
        EXPECT_EQ(c.error.rfind(k3014, 0), 0u) << "string 3014, then why when the reader knows";
    }
    EXPECT_EQ(ReadWholeFile(keep), "KEEP");
    EXPECT_FALSE(ConvertToBinary(box.write("e.wav", ""), kNativeCode, {}).ok);
    EXPECT_FALSE(ConvertToBinary(box.root() + "/absent.wav", kNativeCode, {}).ok);

    // The code from the name follows the extension.
    const std::string work = box.write("TemS12.wa3", std::string(4, '\0'));
    EXPECT_EQ(FormatCodeFromName(work, PointLayout::Int16), kNativeCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.ASC", "1"), PointLayout::Int16), kAsciiCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.001", "1"), PointLayout::Int16), kLeCroyCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.afp", "1"), PointLayout::Record6), kAsciiCode);
    // Missing, four-letter and other composers' extensions give no code.
    EXPECT_EQ(FormatCodeFromName(box.root() + "/gone.asc", PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.pwav", "1"), PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.asf", "1"), PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.waX", "1"), PointLayout::Int16), -1);
    EXPECT_EQ(ImportWaveFile(work, kCodeFromName, {}).points, (Points{0, 0}));
}

TEST(BadCorpusTest, EveryImporterCopesWithEveryFile) {
    for (const auto& entry : std::filesystem::directory_iterator(TW_TEST_DATA_DIR "/bad")) {
        const std::string file = entry.path().string();
        const std::string bytes = ReadWholeFile(file).value_or("");
        for (PointLayout layout : {PointLayout::Int16, PointLayout::Int32, PointLayout::Record6})
            for (int code = kCodeFromName; code <= kMatCode + 1; ++code)
                for (int askDim : {0, 1}) {
                    ImportContext ctx;
                    ctx.layout = layout;
                    ctx.askDim = askDim;
                    auto r = code == kCodeFromName ? ImportWaveFile(file, code, ctx)
                                                   : ImportWaveBytes(bytes, code, ctx);
                    // Whatever a form makes of the bytes, success always brings points.
                    EXPECT_EQ(r.ok, !r.points.empty()) << file << " code " << code;
                    EXPECT_LE(r.points.size(), bytes.size()) << file << " code " << code;
                    EXPECT_EQ(r.ok, r.error.empty()) << file << " code " << code;
                }
    }
}

} // namespace
} // namespace tw
