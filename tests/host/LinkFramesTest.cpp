#include "host/LinkFrames.h"

#include <gtest/gtest.h>

namespace tw::link {
namespace {

TEST(LinkFrames, FramesSurviveAStreamSplitAtEveryByte) {
    std::string text(30, 'x');
    text[5] = '\0'; // texts are counted, not terminated
    std::string stream =
        EncodeData(1, text) + EncodeEvent("F4E3", -10, 1L << 40) + EncodeData(1, "") + EncodeAck(7);
    FrameReader reader;
    std::vector<Frame> frames;
    for (char c : stream) {
        reader.append(std::string_view(&c, 1));
        while (auto f = reader.next())
            frames.push_back(*f);
    }
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].kind, kData);
    EXPECT_EQ(frames[0].tag, 1u);
    EXPECT_EQ(frames[0].payload, text);
    EXPECT_EQ(frames[1].kind, kEvent);
    EXPECT_EQ(frames[1].payload, "F4E3");
    EXPECT_EQ(frames[1].first, -10);
    EXPECT_EQ(frames[1].second, 1LL << 40);
    EXPECT_EQ(frames[2].payload, "");
    EXPECT_EQ(frames[3].kind, kAck);
    EXPECT_EQ(frames[3].first, 7);
    EXPECT_FALSE(reader.failed());
}

TEST(LinkFrames, DataFrameCarriesTagThenLengthWithoutTerminator) {
    std::string bytes = EncodeData(1, "Cmd=:TRAC:DEL:ALL");
    ASSERT_EQ(bytes.size(), 1u + 4 + 4 + 17);
    EXPECT_EQ(bytes.substr(0, 9), std::string("\x01\x01\0\0\0\x11\0\0\0", 9));
}

TEST(LinkFrames, GarbageStopsTheReader) {
    FrameReader unknownKind;
    unknownKind.append("\x09rest");
    EXPECT_FALSE(unknownKind.next());
    EXPECT_TRUE(unknownKind.failed());

    FrameReader oversized;
    oversized.append(std::string("\x01\x01\0\0\0\xff\xff\xff\x7f", 9));
    EXPECT_FALSE(oversized.next());
    EXPECT_TRUE(oversized.failed());
}

} // namespace
} // namespace tw::link
