#include "document/Samples.h"

#include "app/FileUtil.h"
#include "support/SampleValues.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using test::Values;
using Points = std::vector<std::int32_t>;

Samples Ramp(std::size_t n, SampleWidth width = SampleWidth::Int16) {
    Samples s(width);
    Points values(n);
    for (std::size_t i = 0; i < n; ++i)
        values[i] = static_cast<std::int32_t>(i);
    s.Assign(values);
    s.TakePending();
    return s;
}

TEST(Samples, WritesMarkTheirNamedRangesMergedUntilTheCommitTakesThem) {
    Samples s = Ramp(100);
    EXPECT_FALSE(s.pending());
    test::Put(s, 40, {7, 7});
    test::Put(s, 10, {1, 1, 1});
    ASSERT_TRUE(s.pending());
    EXPECT_EQ(s.pending()->first, 10u);
    EXPECT_EQ(s.pending()->last, 41u);
    EXPECT_FALSE(s.pending()->length);
    const auto taken = s.TakePending();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->first, 10u);
    EXPECT_FALSE(s.pending());

    // A range past the end is cut to the wave; one that starts past it writes nothing.
    EXPECT_TRUE(s.Write(95, Samples::kLast, [](SampleSpan) {}));
    EXPECT_EQ(s.pending()->last, 99u);
    s.TakePending();
    bool called = false;
    EXPECT_FALSE(s.Write(100, 120, [&](SampleSpan) { called = true; }));
    EXPECT_FALSE(called);
    EXPECT_FALSE(s.Write(20, 10, [&](SampleSpan) { called = true; }));
    EXPECT_FALSE(called);
    // A writer that reports no change leaves no mark.
    EXPECT_FALSE(s.Write(0, 5, [](SampleSpan) { return false; }));
    EXPECT_FALSE(s.pending());

    // A length change marks the whole wave, whatever was marked before or after it.
    test::Put(s, 3, 9);
    s.Resize(50, 0);
    test::Put(s, 7, 9);
    ASSERT_TRUE(s.pending());
    EXPECT_TRUE(s.pending()->length);
    EXPECT_EQ(s.pending()->first, 0u);
    EXPECT_EQ(s.pending()->last, 49u);
}

TEST(Samples, LengthChangesKeepOrSetTheValues) {
    Samples s = Ramp(10);
    s.Resize(12, -5);
    EXPECT_EQ(Values(s), (Points{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -5, -5}));
    s.Resize(3, 0);
    EXPECT_EQ(Values(s), (Points{0, 1, 2}));
    s.Assign(2, 4);
    EXPECT_EQ(Values(s), (Points{4, 4}));
    EXPECT_TRUE(s.pending()->length);
}

// 16-bit points keep what the native file writer always kept of a 32-bit value, so a wave
// comes out of 16-bit storage byte for byte as it came out of 32-bit memory.
TEST(Samples, SixteenBitStorageKeepsTheFileWritersBits) {
    test::Sandbox box;
    const Points computed{-40000, -32769, -32768, -1, 0, 32767, 32768, 40000, 70000, INT32_MIN};
    Samples narrow(SampleWidth::Int16);
    narrow.Assign(computed);
    const std::string viaStorage = box.tmp() + "storage.wav";
    const std::string viaPoints = box.tmp() + "points.wav";
    ASSERT_TRUE(narrow.WriteFile(viaStorage, PointLayout::Int16));
    ASSERT_TRUE(WriteNativeFile(viaPoints, computed, PointLayout::Int16));
    EXPECT_EQ(ReadWholeFile(viaStorage), ReadWholeFile(viaPoints));
    EXPECT_EQ(narrow.at(0), static_cast<std::int16_t>(-40000));
    EXPECT_EQ(narrow.at(8), 70000 - 65536);

    // A failed read leaves the points as they were.
    EXPECT_FALSE(narrow.ReadFile(box.root() + "/missing.wav", PointLayout::Int16));
    EXPECT_EQ(narrow.size(), computed.size());
}

} // namespace
} // namespace tw
