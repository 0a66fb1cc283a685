#include "document/WaveFormats.h"

#include "app/FileUtil.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(NativeWaveTest, EachLayoutHasItsExactBytes) {
    const std::vector<std::int32_t> points{-2, 0x1234};
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Int16), std::string("\xFE\xFF\x34\x12", 4));
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Int32),
              std::string("\xFE\xFF\xFF\xFF\x34\x12\x00\x00", 8));
    EXPECT_EQ(EncodeNativePoints(points, PointLayout::Record6),
              std::string("\x00\x00\xFE\xFF\xFF\xFF\x00\x00\x34\x12\x00\x00", 12));
}

TEST(NativeWaveTest, ExtremesSurviveARoundTripInEveryLayout) {
    struct Case {
        PointLayout layout;
        std::vector<std::int32_t> points;
    };
    const Case cases[] = {
        {PointLayout::Int16, {-32768, -1, 0, 1, 32767}},
        {PointLayout::Int32, {INT32_MIN, -1, 0, 1, INT32_MAX, 500000000}},
        {PointLayout::Record6, {INT32_MIN, -1, 0, 1, INT32_MAX, 500000000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeNativePoints(EncodeNativePoints(c.points, c.layout), c.layout), c.points);
}

TEST(NativeWaveTest, APartialLastPointIsDropped) {
    EXPECT_EQ(DecodeNativePoints(std::string(2001, '\0'), PointLayout::Int16).size(), 1000u);
    EXPECT_EQ(DecodeNativePoints(std::string(7, '\0'), PointLayout::Int32).size(), 1u);
    EXPECT_EQ(DecodeNativePoints(std::string(11, '\0'), PointLayout::Record6).size(), 1u);
    // Record6 takes bytes 2 to 5 as the point whatever the first two hold.
    EXPECT_EQ(DecodeNativePoints(std::string("\x7F\x7F\x05\x00\x00\x00", 6), PointLayout::Record6),
              std::vector<std::int32_t>{5});
}

TEST(NativeWaveTest, FilesRoundTripAndMissingFilesFail) {
    test::Sandbox box;
    const std::string path = box.tmp() + "TemS1.wa0";
    const std::vector<std::int32_t> points{3, -4, 5};
    ASSERT_TRUE(WriteNativeFile(path, points, PointLayout::Int16));
    EXPECT_EQ(FileSize(path), 6);
    auto read = ReadNativeFile(path, PointLayout::Int16);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.points, points);
    EXPECT_FALSE(ReadNativeFile(box.tmp() + "absent.wav", PointLayout::Int16).ok);
    EXPECT_FALSE(ReadNativeFile(box.tmp(), PointLayout::Int16).ok);
}

TEST(NativeWaveTest, LayoutFollowsComposerAndFpSegMode) {
    EXPECT_EQ(NativeLayoutFor(0, true), PointLayout::Int16);
    EXPECT_EQ(NativeLayoutFor(1, false), PointLayout::Int32);
    EXPECT_EQ(NativeLayoutFor(1, true), PointLayout::Record6);
    EXPECT_EQ(BytesPerPoint(PointLayout::Record6), 6);
}

TEST(WaveExportTest, EachExportFormHasItsExactText) {
    const std::vector<std::int32_t> three{5, -3, 7};
    const ExportContext standard;
    EXPECT_EQ(EncodeWaveFile(three, kCsvCode, standard), "0, 5\r\n1, -3\r\n2, 7");
    const std::vector<std::int32_t> signs{-1, 0, 1};
    EXPECT_EQ(EncodeWaveFile(signs, kPositiveCode, standard),
              std::string("\xFF\x7F\x00\x80\x01\x80", 6));
    // printf's "%g": six significant digits, exponent from 1e6 on.
    const std::vector<std::int32_t> wide{0, -5, 123456, 1234567, 500000000, -2147483647};
    EXPECT_EQ(EncodeWaveFile(wide, kAsciiCode, standard),
              "0 -5 123456 1.23457e+06 5e+08 -2.14748e+09");
    EXPECT_EQ(EncodeWaveFile(std::vector<std::int32_t>{}, kAsciiCode, standard), "");
    EXPECT_EQ(EncodeWaveFile(std::vector<std::int32_t>{4}, kCsvCode, standard), "0, 4");
}

TEST(WaveExportTest, OnlyCodesWithAWriterTouchTheDisk) {
    test::Sandbox box;
    const std::vector<std::int32_t> points{1, 2};
    for (int code : {int{kLeCroyCode}, int{kTraceCode}, 9, -1}) {
        const std::string path = box.tmp() + "out" + std::to_string(code);
        EXPECT_FALSE(ExportWaveFile(path, code, points, {}));
        EXPECT_FALSE(FileExists(path));
    }
    const std::string fm = box.tmp() + "x.wfp";
    ASSERT_TRUE(ExportWaveFile(fm, kNativeCode, points, {PointLayout::Record6}));
    EXPECT_EQ(FileSize(fm), 12);
    EXPECT_FALSE(ExportWaveFile(box.tmp() + "no/such/folder/x.wav", kNativeCode, points, {}));
}

TEST(AsciiImportTest, ReadsAnyWhiteSpaceAndTruncatesTowardZero) {
    auto r = ImportWaveBytes(" 1\t-2.7\r\n2.7  +3\n\n-0.4 1e3 ", kAsciiCode, {});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{1, -2, 2, 3, 0, 1000}));
    // What the writer produces reads back, also in the FM layout.
    const std::vector<std::int32_t> fm{500000000, -7, 0};
    auto back =
        ImportWaveBytes(EncodeWaveFile(fm, kAsciiCode, {}), kAsciiCode, {PointLayout::Int32});
    EXPECT_EQ(back.points, fm);
}

TEST(AsciiImportTest, RefusesWhatIsNoPointOfTheLayout) {
    const char* bad[] = {"",       "  \n ", "1 2 x", "1,2", "40000",
                         "-32769", "1e999", "nan",   "- 1", "5e9"};
    for (const char* text : bad) {
        auto r = ImportWaveBytes(text, kAsciiCode, {});
        EXPECT_FALSE(r.ok) << text;
        EXPECT_TRUE(r.points.empty());
        EXPECT_EQ(r.error, "Cannot convert the format to binary format \nor invalid file path");
    }
    EXPECT_TRUE(ImportWaveBytes("40000", kAsciiCode, {PointLayout::Int32}).ok);
    EXPECT_FALSE(ImportWaveBytes("5e9", kAsciiCode, {PointLayout::Int32}).ok);
}

TEST(ConvertToBinaryTest, RiffLosesItsHeaderIntoATbrFile) {
    test::Sandbox box;
    std::string samples(2000, '\x01');
    const std::string path = box.write("rec.wav", "riff" + std::string(40, 'h') + samples);
    auto c = ConvertToBinary(path, kNativeCode, {});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.path, box.root() + "/rec_TBR.wav");
    EXPECT_EQ(ReadWholeFile(c.path), samples);
    EXPECT_EQ(ReadNativeFile(c.path, PointLayout::Int16).points.size(), 1000u);
    // The FM composer names it for its own binary form.
    auto fm = ConvertToBinary(path, kNativeCode, {PointLayout::Int32});
    EXPECT_EQ(fm.path, box.root() + "/rec_TBR.wvf");
    // The in-memory import reads the same points.
    EXPECT_EQ(ImportWaveFile(path, kNativeCode, {}).points.size(), 1000u);
}

TEST(ConvertToBinaryTest, NativeAndPositiveFilesComeBackUnchanged) {
    test::Sandbox box;
    const std::string native = box.write("a.wav", std::string(2001, '\0'));
    EXPECT_EQ(ConvertToBinary(native, kNativeCode, {}).path, native);
    const std::string positive = box.write("a.pwav", std::string(4, '\0'));
    EXPECT_EQ(ConvertToBinary(positive, kPositiveCode, {}).path, positive);
    EXPECT_FALSE(ConvertToBinary(box.write("e.wav", ""), kNativeCode, {}).ok);
    EXPECT_FALSE(ConvertToBinary(box.root() + "/absent.wav", kNativeCode, {}).ok);
}

TEST(ConvertToBinaryTest, TextFormsBecomeANativeFileOfTheSameName) {
    test::Sandbox box;
    const std::string asc = box.write("s.asc", "1 -2 3");
    auto c = ConvertToBinary(asc, kAsciiCode, {});
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.path, box.root() + "/s.wav");
    EXPECT_EQ(ReadNativeFile(c.path, PointLayout::Int16).points,
              (std::vector<std::int32_t>{1, -2, 3}));
    auto fp = ConvertToBinary(asc, kAsciiCode, {PointLayout::Record6});
    EXPECT_EQ(fp.path, box.root() + "/s.wvf");
    EXPECT_EQ(FileSize(fp.path), 18);
}

TEST(ConvertToBinaryTest, AFailedConversionLeavesExistingFilesAlone) {
    test::Sandbox box;
    const std::string keep = box.write("w.wav", "KEEP");
    const std::string bad = box.write("w.asc", "1 2 banana");
    auto c = ConvertToBinary(bad, kAsciiCode, {});
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.path.empty());
    EXPECT_EQ(c.error, "Cannot convert the format to binary format \nor invalid file path");
    EXPECT_EQ(ReadWholeFile(keep), "KEEP");
    const std::string lecroy = box.write("w.trc", "no descriptor here");
    EXPECT_FALSE(ConvertToBinary(lecroy, kTraceCode, {}).ok);
    EXPECT_EQ(ReadWholeFile(keep), "KEEP");
}

TEST(ConvertToBinaryTest, CodeFromNameFollowsTheExtension) {
    test::Sandbox box;
    const std::string work = box.write("TemS12.wa3", std::string(4, '\0'));
    EXPECT_EQ(FormatCodeFromName(work, PointLayout::Int16), kNativeCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.ASC", "1"), PointLayout::Int16), kAsciiCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.001", "1"), PointLayout::Int16), kLeCroyCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.asf", "1"), PointLayout::Int32), kAsciiCode);
    EXPECT_EQ(FormatCodeFromName(box.write("x.afp", "1"), PointLayout::Record6), kAsciiCode);
    // Missing, four-letter and unknown extensions give no code.
    EXPECT_EQ(FormatCodeFromName(box.root() + "/gone.asc", PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.pwav", "1"), PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.asf", "1"), PointLayout::Int16), -1);
    EXPECT_EQ(FormatCodeFromName(box.write("x.waX", "1"), PointLayout::Int16), -1);
    auto r = ImportWaveFile(work, kCodeFromName, {});
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{0, 0}));
}

} // namespace
} // namespace tw
