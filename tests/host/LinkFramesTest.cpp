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
    std::vector<std::string> read;
    for (const Frame& f : frames)
        read.push_back(std::to_string(f.kind) + " " + std::to_string(f.tag) + " " + f.payload +
                       " " + std::to_string(f.first) + " " + std::to_string(f.second));
    EXPECT_EQ(read, (std::vector<std::string>{"1 1 " + text + " 0 0", "2 0 F4E3 -10 1099511627776",
                                              "1 1  0 0", "3 0  7 0"}));
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(EncodeData(1, "Cmd=:TRAC:DEL:ALL"),
              std::string("\x01\x01\0\0\0\x11\0\0\0", 9) + "Cmd=:TRAC:DEL:ALL")
        << "kind, tag, then the length without a terminator";
}

TEST(LinkFrames, GarbageOrALengthAboveTheLimitStopsTheReaderAtItsHeader) {
    FrameReader unknownKind;
    unknownKind.append("\x09rest");
    EXPECT_FALSE(unknownKind.next());
    EXPECT_TRUE(unknownKind.failed());

    auto header = [](std::uint32_t length) {
        std::string h("\x01\x01\0\0\0", 5);
        for (int i = 0; i < 4; ++i)
            h.push_back(char((length >> (8 * i)) & 0xFF));
        return h;
    };
    FrameReader atLimit;
    atLimit.append(header(kMaxPayload));
    EXPECT_FALSE(atLimit.next());
    EXPECT_FALSE(atLimit.failed());
    FrameReader above;
    above.append(header(kMaxPayload + 1));
    EXPECT_FALSE(above.next());
    EXPECT_TRUE(above.failed());
    EXPECT_EQ(above.buffered(), 0u);
}

TEST(LinkFrames, ReadersShareOneBudgetAndGiveBackWhatTheyHeld) {
    BufferBudget budget(100);
    const std::string frame = EncodeData(1, std::string(80, 'x')); // 89 bytes
    FrameReader a(&budget);
    ASSERT_TRUE(a.append(frame.substr(0, 60)));
    {
        FrameReader b(&budget);
        EXPECT_TRUE(b.append(frame.substr(0, 40)));
        // One more byte of b would take the total past the limit: b is stopped, a goes on.
        EXPECT_FALSE(b.append(frame.substr(40, 1)));
        EXPECT_TRUE(b.failed());
        EXPECT_EQ(budget.used(), 60u);
        EXPECT_FALSE(b.append("x"));
        FrameReader c(&budget);
        EXPECT_TRUE(c.append(frame.substr(0, 30)));
        EXPECT_EQ(budget.used(), 90u);
    } // c goes away with its bytes
    EXPECT_EQ(budget.used(), 60u);
    ASSERT_TRUE(a.append(frame.substr(60)));
    auto whole = a.next();
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->payload, std::string(80, 'x'));
    EXPECT_EQ(budget.used(), 0u);
    EXPECT_EQ(budget.peak(), 100u);
}

} // namespace
} // namespace tw::link
