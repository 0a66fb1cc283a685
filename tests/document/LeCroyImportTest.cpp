#include "document/LeCroyImport.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

struct LeCroyFile {
    std::string prefix = "#9000000400"; // what precedes the descriptor in saved traces
    int sampleType = 0;
    int byteOrder = 1;
    std::int32_t descLength = 346;
    std::int32_t textLength = 0;
    std::int32_t reservedLength = 0;
    std::string user;
    std::string data;

    // Low byte first.
    static void Put(std::string& s, std::size_t at, std::int32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    std::string bytes() const {
        std::string desc(static_cast<std::size_t>(std::max(descLength, 48)), '\0');
        desc.replace(0, 8, "WAVEDESC");
        Put(desc, 32, sampleType, 2);
        Put(desc, 34, byteOrder, 2);
        Put(desc, 36, descLength, 4);
        Put(desc, 40, textLength, 4);
        Put(desc, 44, reservedLength, 4);
        return prefix + desc + user + data;
    }
};

ImportContext Codes(double vMin, double vMax, bool stretch = true) {
    ImportContext ctx;
    ctx.vMin = vMin;
    ctx.vMax = vMax;
    ctx.stretch = stretch;
    return ctx;
}

TEST(LeCroyImportTest, ByteSamplesStretchOntoTheCodeRangeTruncated) {
    LeCroyFile f;
    f.textLength = 5;
    f.user = "notes";
    f.data = std::string("\x80\xFF\x00\x7F", 4);
    auto raw = ImportLeCroy(f.bytes(), Codes(0, 0, false));
    ASSERT_TRUE(raw.ok);
    EXPECT_EQ(raw.points, (std::vector<std::int32_t>{-32768, -256, 0, 32512}));
    // Full span -32768..32512 onto 0..16383, cut toward zero.
    auto r = ImportLeCroy(f.bytes(), Codes(0, 16383));
    EXPECT_EQ(r.points, (std::vector<std::int32_t>{0, 8159, 8223, 16383}));
    f.data = std::string(10, '\x11'); // a flat trace goes to the lowest code
    EXPECT_EQ(ImportLeCroy(f.bytes(), Codes(-8192, 8191)).points,
              std::vector<std::int32_t>(10, -8192));
}

TEST(LeCroyImportTest, ByteOrderDecidesHowSamplesAreRead) {
    LeCroyFile bytes;
    bytes.byteOrder = 0;
    bytes.data = std::string("\xFF\x01", 2);
    // b * 256 with its bytes exchanged keeps b as an unsigned low byte.
    EXPECT_EQ(ImportLeCroy(bytes.bytes(), Codes(0, 0, false)).points,
              (std::vector<std::int32_t>{255, 1}));
    LeCroyFile words;
    words.sampleType = 1;
    words.data = std::string("\x01\x80\xFF\xFF\x07", 5); // the odd last byte is no sample
    EXPECT_EQ(ImportLeCroy(words.bytes(), Codes(0, 0, false)).points,
              (std::vector<std::int32_t>{-32767, -1}));
    words.byteOrder = 0;
    EXPECT_EQ(ImportLeCroy(words.bytes(), Codes(0, 0, false)).points,
              (std::vector<std::int32_t>{0x0180, -1}));
}

TEST(LeCroyImportTest, DescriptorIsFoundOnlyInTheFirst400Bytes) {
    LeCroyFile f;
    f.data = "ab";
    f.prefix = std::string(392, ' ');
    LeCroyDescriptor desc;
    std::string bytes = f.bytes();
    bytes.replace(392, 8, "wavedesc"); // any case, at the last place it fits
    ASSERT_TRUE(ReadLeCroyDescriptor(bytes, desc));
    EXPECT_EQ(desc.offset, 392u);
    f.prefix = std::string(393, ' ');
    EXPECT_FALSE(ReadLeCroyDescriptor(f.bytes(), desc));
}

TEST(LeCroyImportTest, FilesWithoutUsableDataFailSayingWhy) {
    LeCroyFile oneByte;
    oneByte.data = "x";
    LeCroyFile pastEnd;
    pastEnd.data = "abcd";
    pastEnd.reservedLength = 5;
    LeCroyFile negative;
    negative.data = "abcd";
    negative.textLength = -400;
    const std::string cut = LeCroyFile{}.bytes().substr(0, 40);
    for (auto [bytes, why] :
         {std::pair{oneByte.bytes(), "no samples"},
          std::pair{pastEnd.bytes(), "past the end of the file"},
          std::pair{negative.bytes(), "negative block length"}, std::pair{cut, "cut short"},
          std::pair{std::string("WAVEDES"), "no"}}) {
        auto r = ImportLeCroy(bytes, Codes(0, 16383));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.points.empty());
        EXPECT_NE(r.error.find(std::string("\n") + "It"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    }
}

} // namespace
} // namespace tw
