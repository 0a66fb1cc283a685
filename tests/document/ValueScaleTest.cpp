#include "document/ValueScale.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// The three scales over one range: codes end below the upper level and default to zero,
// frequencies and abstract values reach it and default to its middle; the equation editor's
// factor keeps codes whole, takes hertz as typed and stretches the abstract scale over the range.
TEST(ValueScale, LevelsAndEquationFactorOfEachUnit) {
    struct Row {
        ValueScale::Unit unit;
        double highest, level, factor;
        const char* quantity;
    };
    const Row rows[] = {{ValueScale::Unit::Code, 8190.5, 0, 8191.0 / 8191.5, "Amplitude"},
                        {ValueScale::Unit::Hertz, 8191.5, 4095, 1, "Frequency"},
                        {ValueScale::Unit::Scale, 8191.5, 4095, 1.0e9 / 8191.5, "Frequency"}};
    for (const Row& row : rows) {
        const ValueScale scale(row.unit);
        SCOPED_TRACE(row.quantity);
        EXPECT_DOUBLE_EQ(scale.highestLevel(8191.5), row.highest);
        EXPECT_DOUBLE_EQ(scale.defaultLevel(0, 8191.5), row.level);
        EXPECT_DOUBLE_EQ(scale.equationFactor(0, 8191.5), row.factor);
        EXPECT_STREQ(scale.quantity(), row.quantity);
    }
    EXPECT_EQ(ValueScale(ValueScale::Unit::Scale).equationFactor(7, 7), 1) << "an empty range";
}

} // namespace
} // namespace tw
