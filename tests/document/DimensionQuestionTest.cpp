#include "document/DimensionQuestion.h"

#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

struct Recorder {
    std::vector<DimensionChoice> shown;
    std::optional<DimensionChoice> answer;
    DimensionAsker asker() {
        return [this](const DimensionChoice& initial) {
            shown.push_back(initial);
            return answer;
        };
    }
};

TEST(DimensionQuestionTest, FirstUseStartsAtTwoDimensionsAndStoresTheAnswer) {
    test::Sandbox box;
    Recorder user;
    user.answer = DimensionChoice{0, false};
    EXPECT_EQ(AskDimension(user.asker()), 0);
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].twoDimensional, 1);
    EXPECT_FALSE(user.shown[0].always);
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "Is2dim"), "0");
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "askDimDlg"), "0");
    // The next question starts where the last answer left it.
    user.answer = DimensionChoice{1, true};
    EXPECT_EQ(AskDimension(user.asker()), 1);
    EXPECT_EQ(user.shown[1].twoDimensional, 0);
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "askDimDlg"), "1");
}

TEST(DimensionQuestionTest, AlwaysAnswersWithoutAsking) {
    test::Sandbox box;
    box.set(launch().generalIni, "StartUp", "Is2dim", "0");
    box.set(launch().generalIni, "StartUp", "askDimDlg", "2");
    Recorder user;
    EXPECT_EQ(AskDimension(user.asker()), 0);
    EXPECT_TRUE(user.shown.empty());
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "askDimDlg"), "1");
}

TEST(DimensionQuestionTest, CancelGivesOneDimensionAndStoresNothing) {
    test::Sandbox box;
    box.set(launch().generalIni, "StartUp", "Is2dim", "7"); // neither absent nor 1
    Recorder user;                                          // answers nullopt: Cancel
    EXPECT_EQ(AskDimension(user.asker()), 0);
    EXPECT_EQ(user.shown[0].twoDimensional, 0);
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "Is2dim"), "7");
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "askDimDlg"), "<absent>");
}

} // namespace
} // namespace tw
