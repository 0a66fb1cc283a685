// NumPy ".npy" files: read as numpy writes them in every integer and float type and either byte
// order, written as numpy writes them, and bad headers refused.
#include "document/NpyFormat.h"
#include "app/FileUtil.h"
#include "app/StringTable.h"
#include "document/PointMapping.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw {
namespace {

// numpy's own files of the values in each type and byte order (tests/data/document/make_npy.py).
ImportResult ReadNumpyFile(const std::string& name, const ImportContext& ctx) {
    return ImportWaveFile(TW_TEST_DATA_DIR "/document/npy/" + name + ".npy", kNpyCode, ctx);
}

TEST(NpyImportTest, EveryWidthAndOrderReadsFloatsAsFractionsAndIntegersAsColumns) {
    // 0, 0.5, -0.5, 1, -1, 0.25, 1.5, -2
    ImportContext ctx;
    ctx.vMin = 0;
    ctx.vMax = 16383;
    for (const char* type : {"lef2", "bef2", "lef4", "bef4", "lef8", "bef8"}) {
        SCOPED_TRACE(type);
        ImportResult r = ReadNumpyFile(std::string("float-") + type, ctx);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points,
                  (std::vector<std::int32_t>{8192, 12287, 4096, 16383, 0, 10239, 16383, 0}));
        EXPECT_EQ(r.clipped, 2u);
    }

    // Integers follow the column rules: -8192 ... 8191, stretched, 127 reaches the top.
    const std::vector<std::int32_t> values{0, 1, 7, 100, 127, 3};
    ctx = ImportContext{};
    for (const char* type : {"i1", "u1", "lei2", "bei2", "leu2", "beu2", "lei4", "bei4", "leu4",
                             "beu4", "lei8", "bei8", "leu8", "beu8"}) {
        SCOPED_TRACE(type);
        const std::string name = std::string("int-") + type;
        ctx.stretch = true;
        ImportResult r = ReadNumpyFile(name, ctx);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points, (std::vector<std::int32_t>{0, 64, 451, 6450, 8191, 193}));
        ctx.stretch = false;
        r = ReadNumpyFile(name, ctx);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.points, values);
    }
}

// numpy's own files of the same points (make_npy.py): the export must equal them byte for byte.
TEST(NpyExportTest, WrittenFilesAreWhatNumpyWrites) {
    test::Sandbox box;
    const std::vector<std::int32_t> points{-32768, -1, 0, 1, 32767};
    const std::vector<std::int32_t> wide{-2147483647 - 1, -5, 0, 5, 2147483647};
    for (auto [layout, values, code, name] :
         {std::tuple{PointLayout::Int16, points, kNpyCode, "export-int16"},
          std::tuple{PointLayout::Int32, wide, kFmNpyCode, "export-int32"}}) {
        SCOPED_TRACE(name);
        const std::string path = box.root() + "/out.npy";
        ASSERT_TRUE(ExportWaveFile(path, code, values, ExportContext{layout}));
        const std::string bytes = ReadWholeFile(path).value_or("");
        EXPECT_EQ(bytes,
                  ReadWholeFile(TW_TEST_DATA_DIR "/document/npy/" + std::string(name) + ".npy"));
        ImportContext ctx;
        ctx.layout = layout;
        ctx.stretch = false;
        ctx.vMin = -2147483648.0;
        ctx.vMax = 2147483647.0;
        EXPECT_EQ(ImportNpy(bytes, ctx).points, values);
    }
}

// The bad headers are files of the bad corpus (tests/data/make_bad_corpus.py).
TEST(NpyHeaderTest, BadFilesAreRefusedWithString3014AndWhy) {
    ImportContext unstretched;
    unstretched.stretch = false;
    EXPECT_EQ(ReadNumpyFile("header-v2", unstretched).points,
              (std::vector<std::int32_t>{0, 1, 7, 100, 127, 3}));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TW_TEST_DATA_DIR "/bad")) {
        if (entry.path().extension() != ".npy")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = ReadWholeFile(entry.path().string()).value_or("");
        ImportResult r = ImportNpy(bytes, {});
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.points.empty());
        EXPECT_EQ(r.error.rfind(StringText(3014), 0), 0u) << r.error;
        // The reason reaches Open and the tool through the streaming import.
        EXPECT_EQ(ImportWaveBytes(bytes, kNpyCode, {}).error, r.error);
        ++files;
    }
    EXPECT_GE(files, 20);
}

} // namespace
} // namespace tw
