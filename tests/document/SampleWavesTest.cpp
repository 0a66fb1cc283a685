#include "document/WaveFormats.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

std::string Sample(const char* name) {
    return std::string(TW_SOURCE_DIR) + "/data/waves/" + name;
}

// The sample sine in each readable form gives the same waveform.
TEST(SampleWavesTest, EveryFormOfTheSineReadsAlike) {
    ImportContext ctx;
    ctx.vMin = -8192;
    ctx.vMax = 8191;
    auto native = ImportWaveFile(Sample("sine.wav"), kCodeFromName, ctx);
    ASSERT_TRUE(native.ok);
    ASSERT_EQ(native.points.size(), 1000u);
    EXPECT_EQ(native.points[250], 8191);
    EXPECT_EQ(native.points[750], -8191);
    EXPECT_EQ(ImportWaveFile(Sample("sine.asc"), kCodeFromName, ctx).points, native.points);
    EXPECT_EQ(ImportWaveFile(Sample("sine-riff.wav"), kNativeCode, ctx).points, native.points);
    // The comma-delimited form holds volts; the stretch brings them onto the code range.
    auto csv = ImportWaveFile(Sample("sine.csv"), kCsvCode, ctx);
    ASSERT_EQ(csv.points.size(), 1000u);
    for (std::size_t i = 0; i < 1000; ++i)
        EXPECT_LE(std::abs(csv.points[i] - native.points[i]), 2) << i;
}

} // namespace
} // namespace tw
