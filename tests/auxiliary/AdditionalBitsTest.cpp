#include "auxiliary/AdditionalBits.h"

#include "app/LaunchState.h"
#include "host/ExchangeFile.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(AdditionalBits, KeysAndLabelsFollowTheFirstMarkerBitAndTheSegment) {
    test::Sandbox box;
    box.set(box.descr(), "WaveDown", "MarkBit0", "4");
    box.set(box.exchange(), "Settings", "AcSeg", "3");
    AdditionalBits bits = LoadAdditionalBits(box.session(), "SegmTbl-ch0", 1);
    EXPECT_EQ(bits.Label(0), "B5");
    EXPECT_EQ(bits.Label(1), "B6");
    EXPECT_EQ(bits.segment, 3);
    EXPECT_EQ(ExchangeFile::MarkerBits::ListKey(bits.bit0, bits.segment), "4Bit3");
    EXPECT_EQ(ExchangeFile::MarkerBits::InvertKey(bits.bit0 + 1, bits.segment), "5Inv3");
    bits.list[0] = "27, 124; 250, 256;";
    bits.inverted[1] = true;
    ASSERT_TRUE(StoreAdditionalBits(box.session(), bits, "SegmTbl-ch0"));
    EXPECT_EQ(box.get(box.exchange(), "SegmTbl-ch0", "4Bit3"), "27, 124; 250, 256;");
    EXPECT_EQ(box.get(box.exchange(), "SegmTbl-ch0", "5Bit3"), ""); // empty, not removed
    EXPECT_EQ(box.get(box.exchange(), "SegmTbl-ch0", "4Inv3"), "0");
    EXPECT_EQ(box.get(box.exchange(), "SegmTbl-ch0", "5Inv3"), "1");

    // Another segment reads and writes its own keys.
    box.set(box.exchange(), "Settings", "AcSeg", "4");
    const AdditionalBits other = LoadAdditionalBits(box.session(), "SegmTbl-ch0", 1);
    EXPECT_EQ(other.list[0], "");
    EXPECT_FALSE(other.inverted[1]);
    box.set(box.exchange(), "Settings", "AcSeg", "3");
    const AdditionalBits again = LoadAdditionalBits(box.session(), "SegmTbl-ch0", 1);
    EXPECT_EQ(again.list[0], "27, 124; 250, 256;");
    EXPECT_TRUE(again.inverted[1]);
}

TEST(AdditionalBits, DefaultLabelsAndMarkerSettings) {
    test::Sandbox box;
    EXPECT_EQ(LoadAdditionalBits(box.session(), "SegmTbl-ch0", 1).Label(0), "B13 ");
    MarkerBitSettings s = ReadMarkerBitSettings(box.session());
    EXPECT_FALSE(s.inUse);
    EXPECT_EQ(s.bit0, 12);
    EXPECT_EQ(s.bit1, 13);
    box.set(box.descr(), "WaveDown", "UseMarkBits", "YES");
    box.set(box.descr(), "WaveDown", "MarkBit1", "15");
    box.set(box.descr(), "WaveDown", "mrkSectWd", "3");
    s = ReadMarkerBitSettings(box.session());
    EXPECT_TRUE(s.inUse);
    EXPECT_EQ(s.bit0, 12);
    EXPECT_EQ(s.bit1, 15);
    EXPECT_EQ(s.mrkSectWd, 3);
}

} // namespace
} // namespace tw
