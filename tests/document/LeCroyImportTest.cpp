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

ImportContext Codes(double vMin, double vMax) {
    ImportContext ctx;
    ctx.vMin = vMin;
    ctx.vMax = vMax;
    return ctx;
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

    LeCroyFile flat;
    flat.data = std::string(10, '\x11'); // a flat trace goes to the lowest code
    EXPECT_EQ(ImportLeCroy(flat.bytes(), Codes(-8192, 8191)).points,
              std::vector<std::int32_t>(10, -8192));
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
