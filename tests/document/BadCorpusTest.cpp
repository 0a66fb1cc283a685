#include "app/FileUtil.h"
#include "document/WaveFormats.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace tw {
namespace {

TEST(BadCorpusTest, EveryImporterCopesWithEveryFile) {
    for (const auto& entry : fs::directory_iterator(std::string(TW_TEST_DATA_DIR) + "/bad")) {
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
