#include "host/QtHostLink.h"

#include "HostLinkProcess.h"
#include "app/FileUtil.h"
#include "host/HostLink.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

std::string LinkFolder(const test::Sandbox& box) {
    return box.root() + "/link";
}

test::SimProcess Host(const test::Sandbox& box, const QString& title) {
    return test::SimProcess(box.root(), {"--no-launch", "--title", title});
}

TEST(QtHostLink, TextReachesTheOtherProcessWholeInOrderBeforeSendReturns) {
    test::Sandbox box;
    test::SimProcess host(box.root(), {"--no-launch", "--title", "Host A"});
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host A"));
    QtHostLink link(LinkFolder(box));
    SetHostLink(&link);

    const std::string thirty = "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL";
    ASSERT_EQ(thirty.size(), 30u);
    ASSERT_TRUE(SendToHost("Host A", thirty));
    // The simulator prints before it acknowledges, so the block is there already.
    EXPECT_NE(host.output().find("--- message 1 (30 bytes) ---\n" + thirty + "\n--- end ---"),
              std::string::npos);
    ASSERT_TRUE(SendToHost("Host A", "Cmd=:TRAC:DEL:ALL\nWav=/t/TemS1.wa0"));
    ASSERT_TRUE(SendToHost("Host A", "third"));
    std::string out = host.output();
    auto second = out.find("--- message 2 (34 bytes) ---\nCmd=:TRAC:DEL:ALL\nWav=/t/TemS1.wa0\n");
    auto third = out.find("--- message 3 (5 bytes) ---\nthird\n");
    EXPECT_NE(second, std::string::npos);
    EXPECT_NE(third, std::string::npos);
    EXPECT_LT(second, third);
    EXPECT_TRUE(box.prompts.asked.empty());
    SetHostLink(nullptr);
}

TEST(QtHostLink, UnknownOrVanishedTitleIsReportedAndForgotten) {
    test::Sandbox box;
    QtHostLink link(LinkFolder(box));
    SetHostLink(&link);
    // A registration left behind by a process that died: its socket does not answer.
    WriteFileAtomically(LinkFolder(box) + "/w1-1.title", "Host Gone");

    EXPECT_FALSE(SendToHost("Host Gone", "Cmd=:X"));
    EXPECT_FALSE(SendToHost("Host A", "Cmd=:X"));
    ASSERT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, "Unable to find target app.");
    EXPECT_FALSE(FileExists(LinkFolder(box) + "/w1-1.title"));
    SetHostLink(nullptr);
}

TEST(QtHostLink, WindowIsFoundByItsCurrentExactTitleOnly) {
    test::Sandbox box;
    QtHostLink link(LinkFolder(box));
    std::vector<std::string> got;
    QtLinkWindow window(link, {[&](std::string_view t) { got.emplace_back(t); }, {}});
    window.setTitle("Tidewright -> Untitled");
    EXPECT_TRUE(link.sendText("Tidewright -> Untitled", "one"));
    EXPECT_FALSE(link.sendText("Tidewright -> untitled", "case differs"));
    EXPECT_FALSE(link.sendText("Tidewright -> Untitled ", "trailing blank"));
    window.setTitle("Tidewright -> /w/.../a.wav");
    EXPECT_FALSE(link.sendText("Tidewright -> Untitled", "old title"));
    EXPECT_TRUE(link.sendText("Tidewright -> /w/.../a.wav", "two"));
    EXPECT_EQ(got, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(link.titles(), std::vector<std::string>{"Tidewright -> /w/.../a.wav"});
}

TEST(QtHostLink, EventsCarryTheirNameAndBothParameters) {
    test::Sandbox box;
    test::SimProcess host = Host(box, "Host A");
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host A"));
    QtHostLink link(LinkFolder(box));
    EXPECT_TRUE(link.postTo("Host A", kHostEventName, 6, (20L << 16) | 0xFFF6));
    EXPECT_TRUE(link.postTo("Host A", kProgressNoticeName, -3, 1));
    EXPECT_TRUE(host.waitFor("--- message 1: HostEvent 6 1376246 ---\n"
                             "--- message 2: ProgressNotice -3 1 ---\n"));
    EXPECT_FALSE(link.postTo("Nobody", kHostEventName, 3, 0));
}

TEST(QtHostLink, ComposerClosedReachesEveryRegisteredWindow) {
    test::Sandbox box;
    test::SimProcess a = Host(box, "Host A");
    test::SimProcess b = Host(box, "Host B");
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host A"));
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host B"));
    QtHostLink link(LinkFolder(box));
    SetHostLink(&link);
    std::vector<std::string> local;
    QtLinkWindow own(link, {{}, [&](std::string_view name, long first, long second) {
                                local.push_back(std::string(name) + " " + std::to_string(first) +
                                                " " + std::to_string(second));
                            }});
    own.setTitle("Trainsmith -> Untitled-Ch1");

    PostComposerClosed(18, 1);
    // Posted, not sent: this process's own window hears it from its event loop.
    EXPECT_TRUE(local.empty());
    EXPECT_TRUE(a.waitFor("--- message 1: ComposerClosed 18 1 ---"));
    EXPECT_TRUE(b.waitFor("--- message 1: ComposerClosed 18 1 ---"));
    QCoreApplication::processEvents();
    EXPECT_EQ(local, std::vector<std::string>{std::string(kComposerClosedName) + " 18 1"});
    SetHostLink(nullptr);
}

} // namespace
} // namespace tw
