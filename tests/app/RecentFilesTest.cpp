#include "app/RecentFiles.h"

#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentFiles, KeepsFourNewestFirstEachOnceAlsoWhenRestored) {
    test::ScriptedPrompter prompts;
    RecentFiles list{prompts, "Tidewright"};
    for (const char* p : {"/a", "/b", "/c", "/d", "/e"})
        EXPECT_TRUE(list.Add(p));
    EXPECT_EQ(list.entries(), (Paths{"/e", "/d", "/c", "/b"}));
    EXPECT_TRUE(list.Add("/c")) << "a listed file moves to the top";
    EXPECT_EQ(list.entries(), (Paths{"/c", "/e", "/d", "/b"}));
    EXPECT_FALSE(list.Add("/c")) << "already on top: nothing to store";
    EXPECT_FALSE(list.Add(""));
    EXPECT_TRUE(list.Remove("/e"));
    EXPECT_FALSE(list.Remove("/e"));
    EXPECT_EQ(list.entries(), (Paths{"/c", "/d", "/b"}));
    // Restored from the profile: blanks and repeats dropped, four kept.
    list.Restore({"", "/a", "/a", "", "/b", "/c", "/d", "/e"});
    EXPECT_EQ(list.entries(), (Paths{"/a", "/b", "/c", "/d"}));
}

TEST(RecentFiles, ChoosingAFileThatIsGoneRemovesItAndSaysWhy) {
    test::Sandbox box;
    const std::string there = box.write("there.wav", "ab");
    const std::string gone = box.root() + "/gone.wav";
    RecentFiles list{box.prompts, box.session().appName};
    list.Restore({gone, there, box.root()});
    EXPECT_EQ(list.Choose(0), "");
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].text, "Unable to open " + gone +
                                             "\nNo such file or directory\nIt is removed from "
                                             "the recent-file list.");
    EXPECT_EQ(list.entries(), (Paths{there, box.root()}));

    EXPECT_EQ(list.Choose(1), "") << "a folder is not a file to open";
    EXPECT_TRUE(box.prompts.sawText("Is a directory"));
    EXPECT_EQ(list.entries(), (Paths{there}));
    EXPECT_EQ(list.Choose(5), "");
}

TEST(RecentFiles, MenuTextNumbersEscapesAndShortensKeepingTheName) {
    EXPECT_EQ(RecentFileMenuText(0, "/w/R&D.wav"), "&1 /w/R&&D.wav");
    const std::string folder = "/home/user/" + std::string(80, 'x') + "/";
    const std::string text = RecentFileMenuText(3, folder + "sine.wav");
    EXPECT_EQ(text.substr(0, 14), "&4 /home/user/");
    EXPECT_EQ(text.substr(text.size() - 12), ".../sine.wav");
    EXPECT_LE(text.size(), 63u);
    // A cut through a two-byte character would leave half of it.
    const std::string wide = RecentFileMenuText(0, "/" + std::string(40, 'a') + "\xC3\xA9\xC3\xA9" +
                                                       std::string(40, 'b') + "/n.wav");
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (static_cast<unsigned char>(wide[i]) == 0xC3) {
            EXPECT_EQ(static_cast<unsigned char>(wide[i + 1]), 0xA9);
        }
    }
}

} // namespace
} // namespace tw
