#include "fm/FmMarkers.h"
#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "document/WaveDownload.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace tw {
namespace {

using Indices = std::vector<std::int32_t>;

TEST(FmMarkerPoints, CrossingsTakeTheNearerNeighbourOfValuesInTheRange) {
    const struct {
        const char* why;
        std::vector<std::int32_t> wave;
        std::vector<double> values;
        Indices expected;
        double vMin = 0, vMax = 1000;
        bool abstract = false;
    } rows[] = {
        {"4 is nearer 5 than 10", {0, 4, 10}, {5}, {1}},
        {"6 is nearer 5 than 0", {0, 6}, {5}, {1}},
        {"up and down again", {0, 9, 0}, {5}, {1, 1}},
        {"touching the value exactly at one point marks that point once", {0, 10, 20}, {10}, {1}},
        {"one marker a point: the first crossed value in list order", {0, 100}, {20, 50}, {0}},
        {"the other list order", {0, 100}, {80, 20}, {1}},
        {"values outside the range are dropped", {0, 2000, 0}, {-1, 1001}, {0}},
        {"the range ends are inside; a tie marks the later", {0, 2000, 0}, {1000, 1001}, {1, 2}},
        // Range 1e6 .. 3e6: 2e6 lies in the middle, at 5e8 on the abstract scale.
        {"abstract", {0, 400000000, 600000000}, {2e6}, {2}, 1e6, 3e6, true},
        {"not crossed as Hz", {0, 400000000, 600000000}, {2e6}, {0}, 1e6, 3e6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(
            ComputeFmMarkerPoints(row.wave, row.values, row.vMin, row.vMax, row.abstract).indices,
            row.expected);
    }
    EXPECT_EQ(ComputeFmMarkerPoints(rows[6].wave, rows[6].values, 0, 1000, false).valuesInRange, 0);
}

TEST(FmMarkerPoints, MarkerFileIsLittleEndianInt32) {
    Indices marks{1, -2, 0x01020304};
    std::string bytes = FmMarkerFileText(marks);
    EXPECT_EQ(bytes, std::string("\x01\0\0\0\xfe\xff\xff\xff\x04\x03\x02\x01", 12));
    test::Sandbox box{1};
    ASSERT_TRUE(WriteFmMarkerFile(box.tmp(), marks));
    EXPECT_EQ(ReadWholeFile(box.tmp() + "$xMark"), bytes);
}

class FmMarkerTableTest : public ::testing::Test {
  protected:
    test::Sandbox box{1};
    FmMarkerTable table{box.session(), box.prompts};
    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (int i = 0; i < table.size(); ++i)
            texts.push_back(table.displayText(i));
        return texts;
    }
    std::string exch(const std::string& key) const {
        return box.get(box.exchange(), "FmMark0", key);
    }
};

TEST_F(FmMarkerTableTest, LoadStopsAtTheFirstGapAndKeepsTheOrder) {
    box.set(box.exchange(), "FmMark0", "FmSort", "0");
    box.set(box.exchange(), "FmMark0", "Mrk0", "1500000");
    box.set(box.exchange(), "FmMark0", "Mrk2", "2000000");
    table.load(0);
    EXPECT_EQ(table.values(), Indices{1500000});
    EXPECT_FALSE(table.ascending());
    EXPECT_EQ(shown(), std::vector<std::string>{"1.50000000e6"});
    EXPECT_EQ(ReadFmMarkerValues(box.session(), 0), std::vector<double>{1500000});

    box.set(box.exchange(), "FmMark0", "FmSort", "7");
    table.load(0);
    EXPECT_TRUE(table.ascending()) << "any number but 0 means ascending";
}

TEST_F(FmMarkerTableTest, AddKeepsOneSortedEntryPerValue) {
    EXPECT_EQ(table.add("", 0, 1e9), FmMarkerTable::AddResult::Ignored);
    EXPECT_EQ(table.add("300.9", 0, 1e9), FmMarkerTable::AddResult::Added);
    EXPECT_EQ(table.add("1e2", 0, 1e9), FmMarkerTable::AddResult::Added);
    EXPECT_EQ(table.add("200", 0, 1e9), FmMarkerTable::AddResult::Added);
    EXPECT_EQ(table.values(), (Indices{100, 200, 300}));
    table.store(0);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(table.add("300", 0, 1e9), FmMarkerTable::AddResult::Duplicate);
    EXPECT_FALSE(table.modified()) << "a repeated value leaves no modified mark";
    EXPECT_TRUE(box.prompts.asked.empty());

    EXPECT_EQ(table.add("5000", 0, 1000), FmMarkerTable::AddResult::Added);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Warning");
    EXPECT_EQ(box.prompts.asked[0].text, "The FM marker value will be added but note that it is "
                                         "out of the current range.");
}

TEST_F(FmMarkerTableTest, StoreRewritesTheSectionAndCloseAsksOnlyWhenModified) {
    box.set(box.exchange(), "FmMark0", "Mrk5", "999");
    table.add("-20", -100, 100);
    table.add("40", -100, 100);
    table.setAscending(false);
    box.prompts.then(Answer::Yes);
    table.close(0);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Data is modified");
    EXPECT_EQ(box.prompts.asked[0].text, "Do you want to save changes ?");
    EXPECT_EQ(profile::SectionLines(box.exchange(), "FmMark0"),
              (std::vector<std::string>{"FmSort=0", "Mrk0=-20", "Mrk1=40"}));

    table.removeAll();
    table.close(0);
    EXPECT_EQ(box.prompts.asked.size(), 1u) << "Remove All alone does not ask";
    table.add("1", -100, 100);
    box.prompts.then(Answer::No);
    table.close(0);
    EXPECT_EQ(exch("Mrk0"), "-20") << "No keeps the stored table";
}

} // namespace
} // namespace tw
