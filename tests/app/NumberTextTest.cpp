#include "app/NumberText.h"
#include "fm/FmNumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace tw {
namespace {

TEST(NumberText, EngineeringNotationCharacterForCharacter) {
    EXPECT_EQ(EngNumberText(1500, 2), "1.5e3");
    EXPECT_EQ(EngNumberText(0.00025, 9), "250e-6");
    EXPECT_EQ(EngNumberText(0.0000025, 9), "2.5e-6");
    EXPECT_EQ(EngNumberText(-0.02, 3), "-20e-3");
    EXPECT_EQ(EngNumberText(12, 9), "12");
    EXPECT_EQ(EngNumberText(1e-15, 9), "0");
    EXPECT_EQ(EngNumberText(0.5, 3), "500e-3");
    EXPECT_EQ(EngNumberText(999.9995, 9), "0.9999995e3");
    EXPECT_EQ(EngNumberText(999.999, 9), "999.999");
    EXPECT_EQ(EngNumberText(999.9989, 2), "1000");
    EXPECT_EQ(EngNumberText(-1500000, 9), "-1.5e6");
    EXPECT_EQ(EngNumberText(16384, 9), "16.384e3");
}

TEST(NumberText, PrefixedForPeopleWithinThePrefixesOnly) {
    EXPECT_EQ(PrefixedNumberText(99003907, "Hz", 6), "99.003907 MHz");
    EXPECT_EQ(PrefixedNumberText(-0.00025, "V"), "-250 µV");
    EXPECT_EQ(PrefixedNumberText(12, "s"), "12 s");
    EXPECT_EQ(PrefixedNumberText(2.5e13, "Hz"), "25 THz");
    EXPECT_EQ(PrefixedNumberText(5e15, "Hz"), "5e15 Hz");
    EXPECT_EQ(PrefixedNumberText(1.5e6, ""), "1.5M");
}

TEST(NumberText, ValuesThatAreNotFiniteReadAsTheCLibraryPrintsThem) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(EngNumberText(inf, 9), "inf");
    EXPECT_EQ(EngNumberText(-inf, 9), "-inf");
    EXPECT_EQ(EngNumberText(std::nan(""), 9), "nan");
    EXPECT_EQ(EngNumberText(1e308, 2), "100e306") << "the largest finite values still scale";
    EXPECT_EQ(StreamNumberText(inf), "inf");
    EXPECT_EQ(FmGeneralText(-inf), "-inf");
    EXPECT_EQ(FmScientificText(inf, 8), "inf");
}

// The FM settings store these in the exchange file as they stand.
TEST(NumberText, FmStreamTextsHaveThreeExponentDigits) {
    EXPECT_EQ(FmStreamText(1e7), "1e+007");
    EXPECT_EQ(FmStreamText(2.5e-7), "2.5e-007");
    EXPECT_EQ(FmStreamText(0.5), "0.5");
}

TEST(NumberText, TrimAndCompact) {
    const std::pair<const char*, const char*> trimmed[] = {
        {"100", "100"}, {"2.500", "2.5"}, {"3.000", "3"}, {"10.0", "10"}};
    for (const auto& [text, expected] : trimmed) {
        std::string s = text;
        TrimNumberText(s);
        EXPECT_EQ(s, expected);
    }
    const std::pair<const char*, const char*> compacted[] = {{"1.5e+003", "1.5e3"},
                                                             {"2e-005", "2e-5"},
                                                             {"1e+010", "1e+010"},
                                                             {"1.50000000e+006", "1.50000000e6"}};
    for (const auto& [text, expected] : compacted) {
        std::string s = text;
        CompactExponent(s);
        EXPECT_EQ(s, expected);
    }
}

} // namespace
} // namespace tw
