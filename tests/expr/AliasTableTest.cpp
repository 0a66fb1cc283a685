#include "expr/AliasTable.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

class AliasTableTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    AliasTable table{box.session().appName};
    std::string Substitute(const std::string& formula) {
        Result refused;
        std::string substituted = table.Substitute(formula, &refused);
        Show(box.prompts, refused);
        return substituted;
    }
    void SetUp() override {
        table.Assign({{"{ref25}", "sin(omg*p)"}, {"{my_sin}", "sin(omg*50*p)*1.15"}});
    }
};

TEST_F(AliasTableTest, NameRulesFirstFailingRuleWins) {
    const std::string brackets = "The name of the expression must to be in curly brackets  ";
    for (auto [name, message] : // message "" when refused silently
         {std::pair<const char*, std::string>{"", ""},
          {"abc", brackets},
          {"{ab}c", brackets},
          {"{a}b}", brackets},
          {"{}", "No Alias name was entered for the expression"},
          {"{abcdefg}", "The name of the alias is too long. Maximum length of Alias "
                        "is 6 characters."},
          {"{a{b}", "It is forbidden to use '{' or '}' in the name of Alias."},
          {"{ref25}", "An Alias with the name:{ref25}  already exists. \nThe "
                      "previous name has been restored"}}) {
        box.prompts.clear();
        EXPECT_FALSE(Show(box.prompts, table.Rename(1, name))) << name;
        EXPECT_EQ(table.rows()[1].name, "{my_sin}");
        EXPECT_EQ(box.prompts.lastText(), message) << name;
    }
    EXPECT_EQ(box.prompts.asked.back().caption, "Error");

    box.prompts.clear();
    EXPECT_TRUE(Show(box.prompts, table.Rename(1, "{abcdef}"))); // six characters are allowed
    EXPECT_TRUE(Show(box.prompts, table.Rename(1, "{my_sin}"))); // its own name again
    EXPECT_TRUE(box.prompts.asked.empty());
    EXPECT_TRUE(Show(box.prompts, table.Rename(1, "{a b}")));
    EXPECT_EQ(box.prompts.lastText(),
              "It is recommended not use spacing characters in the name of Alias.");
    EXPECT_EQ(table.rows()[1].name, "{a b}");
    EXPECT_TRUE(Show(box.prompts, table.Rename(0, "{REF25}"))); // names compare with case
}

TEST_F(AliasTableTest, AddAndDeleteKeepTheListConsistent) {
    EXPECT_TRUE(Show(box.prompts, table.Add()));
    EXPECT_EQ(table.rows().back(), (AliasRow{"{}", ""}));
    EXPECT_FALSE(Show(box.prompts, table.Add()));
    EXPECT_EQ(box.prompts.lastText(), "You have new Allies without Expression");
    EXPECT_EQ(table.size(), 3u);

    EXPECT_FALSE(Show(box.prompts, table.Delete(-1, "", box.prompts)));
    EXPECT_EQ(box.prompts.lastText(), "No Item selected!");

    // A name used in the formula box asks first; No keeps the row.
    box.prompts.then(Answer::No);
    EXPECT_FALSE(Show(box.prompts, table.Delete(0, "amp*{ref25}", box.prompts)));
    EXPECT_EQ(box.prompts.asked.back().caption, "Warning");
    EXPECT_EQ(table.size(), 3u);
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(Show(box.prompts, table.Delete(0, "amp*{ref25}", box.prompts)));
    // The rows after it move up a number.
    EXPECT_EQ(Substitute("{my_sin}"), "{1}");

    box.prompts.then(Answer::No);
    EXPECT_FALSE(table.DeleteAll(box.prompts));
    EXPECT_EQ(box.prompts.asked.back().caption, "Attention");
    EXPECT_EQ(box.prompts.lastText(),
              "Are you sure you want to delete all references from the list?");
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(table.DeleteAll(box.prompts));
    EXPECT_EQ(table.size(), 0u);
    EXPECT_TRUE(Show(box.prompts, table.Add())); // an empty list takes a new row
}

TEST_F(AliasTableTest, SubstitutionReplacesNamesByRowNumbers) {
    EXPECT_EQ(Substitute("amp*({my_sin}>{ref25})*0.75*(p>per/4 & p<per*0.75)"),
              "amp*({2}>{1})*0.75*(p>per/4 & p<per*0.75)");
    EXPECT_EQ(Substitute("{ref25}+{ref25}-p"), "{1}+{1}-p");
    EXPECT_TRUE(box.prompts.asked.empty());

    EXPECT_EQ(Substitute("p}+{ref25}"), "Error");
    EXPECT_EQ(Substitute("{ref25"), "Error");
    EXPECT_TRUE(box.prompts.asked.empty()); // refused without a message
    EXPECT_EQ(Substitute("p+{}"), "Error");
    EXPECT_EQ(box.prompts.lastText(), " Aliases empty");
    EXPECT_EQ(Substitute("{Ref25}"), "Error"); // its message is EquationEditorTest's
}

TEST(ShortenedPathsTest, KeepsFirstFolderAndLastComponent) {
    EXPECT_EQ(ShortenedPaths("c:\\waves\\sub\\deep\\x.wav*2"), "c:\\waves\\...\\x.wav*2");
    EXPECT_EQ(ShortenedPaths("/home/u/waves/x.wav+sin(p)"), "/home/.../x.wav+sin(p)");
    EXPECT_EQ(ShortenedPaths("c:\\waves\\x.wav"), "c:\\waves\\x.wav");
    EXPECT_EQ(ShortenedPaths("x.wav+p/2/3"), "x.wav+p/2/3");
}

} // namespace
} // namespace tw
