#include "app/ProfileStore.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/StoredNumber.h"
#include "support/FileSizeLimit.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tw {
namespace {

class ProfileStoreTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    std::string file = box.root() + "/p.ini";
    std::string read(const char* section, const char* key, int size = 260, bool quiet = true) {
        std::string out;
        last = ProfileRecord(box.session(), section, key, out, size, file, quiet);
        return out;
    }
    int last = 0;
};

TEST_F(ProfileStoreTest, CommentsTabsAndBlanksFollowTheStoreRules) {
    box.write("p.ini", "[S]\n"
                       "a=12 // twelve\n"
                       "b=//whole\n"
                       "c=one\ttwo\n"
                       "d=one\ttwo // note\n"
                       "e=1 2\t// note\n"
                       "f =  \"quoted text\"  \n");
    EXPECT_EQ(read("S", "a"), "12");
    EXPECT_EQ(read("S", "b"), "//whole");
    EXPECT_EQ(read("S", "c"), "one\ttwo");
    EXPECT_EQ(read("S", "d"), "one two");
    EXPECT_EQ(read("S", "e"), "1 2 "); // blank removal stops at the tab, which becomes a blank
    EXPECT_EQ(read("S", "F"), "quoted text");
}

TEST_F(ProfileStoreTest, SentinelQuietnessAndTheRoomLimit) {
    box.write("p.ini", "[s]\nx=NOO\ny=No\n");
    EXPECT_EQ(read("S", "x"), "");
    EXPECT_EQ(last, 0);
    EXPECT_TRUE(box.prompts.asked.empty()) << "quiet absence shows nothing";

    std::string longText;
    EXPECT_EQ(ProfileLongText(box.session(), "S", "y", longText, file, true), 0);
    EXPECT_EQ(ProfileLongText(box.session(), "S", "x", longText, file, true), 1);
    EXPECT_EQ(longText, "NOO");

    read("Sect", "Missing", 260, false);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Record not found");
    EXPECT_EQ(box.prompts.asked[0].text, "File " + file + "\nSect=Sect\nKey=Missing");
    read("Sect", nullptr, 260, false);
    EXPECT_EQ(box.prompts.asked.back().text, "File " + file + "\nSect=Sect\nKey=NULL");

    // The room limit is reported even when quiet.
    box.prompts.clear();
    box.write("p.ini",
              "[S]\nok=" + std::string(257, 'a') + "\nlong=" + std::string(258, 'b') + "\n");
    EXPECT_EQ(read("S", "ok").size(), 257u);
    EXPECT_EQ(last, 1);
    read("S", "long");
    EXPECT_EQ(last, 0);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Too few room in destination");
    EXPECT_EQ(ProfileText(box.session(), "long", "S", file), "");
}

TEST_F(ProfileStoreTest, RewritesKeepForeignLinesOrderCaseAndEachLinesOwnEnding) {
    box.write("p.ini", "; host comment\r\n[First]\r\nA=1\r\n; keep me\r\nB=2\r\n\r\n[Second]\r\n"
                       "C=3\r\n");
    WriteProfileKey(box.session(), "FIRST", "b", "20", file);
    WriteProfileKey(box.session(), "first", "New", "x", file);
    WriteProfileKey(box.session(), "Third", "D", "4", file);
    EXPECT_EQ(*ReadWholeFile(file), "; host comment\r\n[First]\r\nA=1\r\n; keep me\r\nB=20\r\n"
                                    "New=x\r\n\r\n[Second]\r\nC=3\r\n[Third]\r\nD=4\r\n");
    DeleteProfileKey(box.session(), "first", "a", file);
    DeleteProfileSection(box.session(), "SECOND", file);
    EXPECT_EQ(*ReadWholeFile(file), "; host comment\r\n[First]\r\n; keep me\r\nB=20\r\nNew=x\r\n"
                                    "\r\n[Third]\r\nD=4\r\n");

    // Lines ending in LF, CRLF, a stray CR before CRLF, and an unterminated last line.
    box.write("p.ini", "[A]\r\nx=1\r\r\ny=2\n; lf comment\n[B]\r\nz=3");
    WriteProfileKey(box.session(), "a", "y", "5", file);
    EXPECT_EQ(*ReadWholeFile(file), "[A]\r\nx=1\r\r\ny=5\n; lf comment\n[B]\r\nz=3");
    EXPECT_EQ(profile::GetValue(file, "A", "x").value_or(""), "1");
    // New lines take the ending most lines use; the old last line gets one only now.
    WriteProfileKey(box.session(), "B", "w", "4", file);
    EXPECT_EQ(*ReadWholeFile(file), "[A]\r\nx=1\r\r\ny=5\n; lf comment\n[B]\r\nz=3\r\nw=4\r\n");
    DeleteProfileKey(box.session(), "B", "w", file);
    EXPECT_EQ(*ReadWholeFile(file), "[A]\r\nx=1\r\r\ny=5\n; lf comment\n[B]\r\nz=3\r\n");

    // Stray CRs without any LF: the first rewrite must not turn the second into CRLF.
    box.write("p.ini", "; [f]\r\xd6"
                       "3 4\r\r");
    WriteProfileKey(box.session(), "S", "k", "v", file);
    const std::string once = *ReadWholeFile(file);
    EXPECT_EQ(once, "; [f]\r\xd6"
                    "3 4\r\r\n[S]\nk=v\n");
    WriteProfileKey(box.session(), "S", "k", "v", file);
    EXPECT_EQ(*ReadWholeFile(file), once);
    WriteProfileKey(box.session(), "S", "k", "w", file);
    EXPECT_EQ(*ReadWholeFile(file), "; [f]\r\xd6"
                                    "3 4\r\r\n[S]\nk=w\n");
}

TEST_F(ProfileStoreTest, ByteOrderMarkIsReadPastAndKept) {
    const std::string bom = "\xEF\xBB\xBF";
    box.write("p.ini", bom + "[First]\r\nA=1\r\n[Second]\r\nB=2\r\n");
    EXPECT_EQ(read("First", "A"), "1");
    EXPECT_EQ(last, 1);
    EXPECT_EQ(profile::SectionNames(file), (std::vector<std::string>{"First", "Second"}));
    WriteProfileKey(box.session(), "first", "A", "10", file);
    WriteProfileKey(box.session(), "Third", "C", "3", file);
    EXPECT_EQ(*ReadWholeFile(file),
              bom + "[First]\r\nA=10\r\n[Second]\r\nB=2\r\n[Third]\r\nC=3\r\n");

    // Only a mark at the very start is one.
    box.write("p.ini", "[First]\n" + bom + "A=1\n");
    EXPECT_EQ(read("First", "A"), "");
}

// A deletion bares a later section of the same name and a rewrite puts a deleted one at the end.
// The last part deletes a train's worth of sections from the front, as opening a train over
// a long one does: done by erasing, that ran for minutes.
TEST_F(ProfileStoreTest, DeletedSectionsLeaveTheRestAsTheyStood) {
    box.write("p.ini", "[A]\nx=1\n[B]\ny=2\n[a]\nx=3\n[C]\nz=4");
    {
        profile::Transaction t(file);
        t.deleteSection("A");
        EXPECT_EQ(t.get("a", "x").value_or(""), "3");
        t.deleteSection("B");
        t.write("B", "y", "5");
        EXPECT_EQ(t.get("b", "Y").value_or(""), "5") << "its own writes, before the commit";
        t.deleteSection("a");
        EXPECT_FALSE(t.get("a", "x"));
        EXPECT_TRUE(t.commit());
    }
    EXPECT_EQ(*ReadWholeFile(file), "[C]\nz=4\n[B]\ny=5\n");

    std::string train;
    constexpr int kSections = 65536;
    for (int i = 0; i < kSections; ++i)
        train += "[Pulse" + std::to_string(i) + "]\nStart=0\n";
    box.write("p.ini", train + "[PulseRoot]\nqPls=1\n");
    profile::Transaction t(file);
    for (int i = 0; i < kSections; ++i)
        t.deleteSection("Pulse" + std::to_string(i));
    t.writeSection("Pulse0", {"Start=1"});
    EXPECT_TRUE(t.commit());
    EXPECT_EQ(*ReadWholeFile(file), "[PulseRoot]\nqPls=1\n[Pulse0]\nStart=1\n");
}

// The exchange file no longer fits (a full disk): the user hears of it, once until the file is
// written again (the title is published at every repaint), and the file stays whole.
TEST_F(ProfileStoreTest, AFailedRewriteIsShownOnceUntilTheFileIsWrittenAgain) {
    const std::string exchange = box.session().exchangeFile;
    const std::string before = ReadWholeFile(exchange).value_or("");
    const std::string longValue(200, 'x');
    auto failTwice = [&] {
        test::FileSizeLimit full(before.size() + 50);
        EXPECT_FALSE(WriteProfileKey(box.session(), "AppTits", "TD", longValue, exchange));
        EXPECT_FALSE(WriteProfileKey(box.session(), "AppTits", "TD", longValue + "y", exchange));
    };
    failTwice();
    ASSERT_GE(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, "Unable to write " + exchange + "\nFile too large");
    EXPECT_EQ(box.prompts.asked[0].icon, Icon::Exclamation);
    const auto shown = [&] {
        int n = 0;
        for (const auto& a : box.prompts.asked)
            n += a.text.find(exchange) != std::string::npos;
        return n;
    };
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(ReadWholeFile(exchange), before);

    EXPECT_TRUE(WriteProfileKey(box.session(), "AppTits", "TD", "short", exchange));
    failTwice();
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(profile::GetValue(exchange, "AppTits", "TD").value_or(""), "short");
}

// What the store has to tell goes to the reporter of the session it was handed, under that
// session's name, never to the installed prompter.
TEST_F(ProfileStoreTest, NoticesGoToTheSessionsOwnReporter) {
    test::ScriptedPrompter reporter;
    LaunchState pulse = box.session();
    pulse.appName = "Trainsmith";
    pulse.reports = &reporter;
    box.write("p.ini", "[S]\nlong=" + std::string(300, 'b') + "\nn=7\n");
    std::string out;
    ProfileRecord(pulse, "S", "long", out, 260, file, true);
    ProfileLongText(pulse, "S", "missing", out, file, false);
    EXPECT_EQ(CheckedWhole(pulse, 7, 0, 5, 1, {file, "S", "n"}), 1);
    {
        test::FileSizeLimit full(100);
        EXPECT_FALSE(WriteProfileKey(pulse, "S", "k", std::string(200, 'x'), file));
    }
    const std::vector<std::string> captions = {"Too few room in destination", "Record not found",
                                               "Trainsmith", "Trainsmith"};
    ASSERT_EQ(reporter.asked.size(), captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i)
        EXPECT_EQ(reporter.asked[i].caption, captions[i]) << i;
    EXPECT_EQ(reporter.asked[2].text, "File " + file +
                                          "\nSect=S\nKey=n\nValue 7 is out of range "
                                          "0..5; 1 is used.");
    EXPECT_TRUE(box.prompts.asked.empty());
}

} // namespace
} // namespace tw
