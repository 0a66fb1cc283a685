#include "document/LeCroyImport.h"

#include "app/FileUtil.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

std::string Bytes(const std::string& file) {
    return ReadWholeFile(TW_TEST_DATA_DIR "/" + file).value_or("");
}

ImportContext Codes(double vMin, double vMax) {
    ImportContext ctx;
    ctx.vMin = vMin;
    ctx.vMax = vMax;
    return ctx;
}

// "wavedesc-at-392.trc": the marker in lower case at the last place it fits.
TEST(LeCroyImportTest, DescriptorIsFoundOnlyInTheFirst400Bytes) {
    LeCroyDescriptor desc;
    ASSERT_TRUE(ReadLeCroyDescriptor(Bytes("document/lecroy/wavedesc-at-392.trc"), desc));
    EXPECT_EQ(desc.offset, 392u);
    EXPECT_FALSE(ReadLeCroyDescriptor(Bytes("document/lecroy/wavedesc-at-393.trc"), desc));

    // A flat trace goes to the lowest code.
    EXPECT_EQ(ImportLeCroy(Bytes("document/lecroy/flat.trc"), Codes(-8192, 8191)).points,
              std::vector<std::int32_t>(10, -8192));
}

TEST(LeCroyImportTest, FilesWithoutUsableDataFailSayingWhy) {
    for (auto [file, why] :
         {std::pair{"bad/one-sample-byte.trc", "no samples"},
          std::pair{"bad/lengths-past-end.000", "past the end of the file"},
          std::pair{"bad/negative-length.001", "negative block length"},
          std::pair{"bad/descriptor-cut.trc", "cut short"}, std::pair{"bad/garbage.trc", "no"}}) {
        SCOPED_TRACE(file);
        auto r = ImportLeCroy(Bytes(file), Codes(0, 16383));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.points.empty());
        EXPECT_NE(r.error.find(std::string("\n") + "It"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
    }
}

} // namespace
} // namespace tw
