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

} // namespace
} // namespace tw
