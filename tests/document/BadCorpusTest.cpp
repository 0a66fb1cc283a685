#include "app/FileUtil.h"
#include "document/WaveFormats.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace tw {
namespace {

std::vector<std::string> BadFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(std::string(TW_TEST_DATA_DIR) + "/bad"))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BadCorpusTest, EveryFileFailsUnderItsOwnExtension) {
    test::Sandbox box;
    const auto files = BadFiles();
    ASSERT_GE(files.size(), 20u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const int code = FormatCodeFromName(file, PointLayout::Int16);
        ASSERT_GE(code, 0);
        for (bool stretch : {true, false}) {
            ImportContext ctx;
            ctx.stretch = stretch;
            auto r = ImportWaveFile(file, code, ctx);
            EXPECT_FALSE(r.ok);
            EXPECT_TRUE(r.points.empty());
            // String 3014, and for the forms read through a library, why.
            EXPECT_EQ(r.error.rfind(
                          "Cannot convert the format to binary format \nor invalid file path", 0),
                      0u);
        }
        // Open's conversion of a copy leaves the folder as it was.
        const std::string copy = box.tmp() + FileNameOf(file);
        ASSERT_TRUE(CopyFileOver(file, copy));
        const auto before = FolderListing(box.tmp());
        EXPECT_FALSE(ConvertToBinary(copy, code, {}).ok);
        EXPECT_EQ(FolderListing(box.tmp()), before);
        RemoveFile(copy);
    }
}

TEST(BadCorpusTest, EveryImporterCopesWithEveryFile) {
    for (const std::string& file : BadFiles()) {
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
