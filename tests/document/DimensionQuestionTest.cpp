#include "document/DimensionQuestion.h"

#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

std::string Stored(const test::Sandbox& box, const char* key) {
    return box.get(box.session().generalIni, "StartUp", key);
}

TEST(DimensionQuestionTest, AnswersAreStoredAndStartTheNextQuestion) {
    test::Sandbox box;
    std::vector<DimensionChoice> shown;
    std::optional<DimensionChoice> answer = DimensionChoice{0, false};
    auto asker = [&](const DimensionChoice& initial) {
        shown.push_back(initial);
        return answer;
    };
    EXPECT_EQ(AskDimension(box.session(), asker), 0);
    EXPECT_EQ(shown.at(0).twoDimensional, 1); // first use
    EXPECT_EQ(Stored(box, "Is2dim"), "0");
    EXPECT_EQ(Stored(box, "askDimDlg"), "0");
    answer.reset(); // Cancel: one-dimensional, nothing stored
    EXPECT_EQ(AskDimension(box.session(), asker), 0);
    EXPECT_EQ(shown.at(1).twoDimensional, 0);
    box.set(box.session().generalIni, "StartUp", "Is2dim", "7"); // neither absent nor 1
    AskDimension(box.session(), asker);
    EXPECT_EQ(shown.at(2).twoDimensional, 0);
    EXPECT_EQ(Stored(box, "Is2dim"), "7");
    answer = DimensionChoice{1, true};
    EXPECT_EQ(AskDimension(box.session(), asker), 1);
    EXPECT_EQ(Stored(box, "askDimDlg"), "1");
    // "Always" answers at once, as if OK were pressed.
    box.set(box.session().generalIni, "StartUp", "askDimDlg", "2");
    EXPECT_EQ(AskDimension(box.session(), asker), 1);
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_EQ(Stored(box, "askDimDlg"), "1");
}

} // namespace
} // namespace tw
