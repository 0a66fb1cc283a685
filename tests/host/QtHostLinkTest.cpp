#include "host/qt/QtHostLink.h"

#include "HostLinkProcess.h"
#include "app/FileUtil.h"
#include "host/HostEvents.h"
#include "host/HostLink.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tw {
namespace {

std::string LinkFolder(const test::Sandbox& box) {
    return box.root() + "/link";
}

// The link of this process, installed as the composers' own.
class QtHostLinkTest : public ::testing::Test {
  protected:
    QtHostLinkTest() { SetHostLink(&link); }
    ~QtHostLinkTest() override { SetHostLink(nullptr); }
    test::Sandbox box;
    QtHostLink link{box.session(), LinkFolder(box)};
};

test::SimProcess Host(const test::Sandbox& box, const QString& title) {
    return test::SimProcess(box.root(), {"--no-launch", "--title", title});
}

// A title is found as it stands now, exactly; an unknown or vanished one is reported and forgotten.
TEST_F(QtHostLinkTest, WindowIsFoundByItsCurrentExactTitleOnly) {
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

    // A registration left behind by a process that died: its socket does not answer.
    WriteFileAtomically(LinkFolder(box) + "/w1-1.title", "Host Gone");

    EXPECT_FALSE(Show(box.prompts, SendToHost(box.session(), "Host Gone", "Cmd=:X")));
    EXPECT_FALSE(Show(box.prompts, SendToHost(box.session(), "Host A", "Cmd=:X")));
    ASSERT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(box.prompts.asked[0].text, "Unable to find target app.");
    EXPECT_FALSE(FileExists(LinkFolder(box) + "/w1-1.title"));
}

// Texts arrive whole and in order before the send returns; events carry their name and both
// parameters, and ComposerClosed reaches every window.
TEST_F(QtHostLinkTest, TextsAndEventsReachTheOtherProcesses) {
    test::SimProcess a = Host(box, "Host A");
    test::SimProcess b = Host(box, "Host B");
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host A"));
    ASSERT_TRUE(test::WaitForTitle(LinkFolder(box), "Host B"));
    const std::string thirty = "Cmd=:TRAC:DEF 1,1024;:TRAC:SEL";
    ASSERT_TRUE(Show(box.prompts, SendToHost(box.session(), "Host A", thirty)));
    // The simulator prints before it acknowledges, so the block is there already.
    EXPECT_NE(a.output().find("--- message 1 (30 bytes) ---\n" + thirty + "\n--- end ---"),
              std::string::npos);
    EXPECT_TRUE(box.prompts.asked.empty());
    std::vector<std::string> local;
    QtLinkWindow own(link, {{}, [&](std::string_view name, long first, long second) {
                                local.push_back(std::string(name) + " " + std::to_string(first) +
                                                " " + std::to_string(second));
                            }});
    own.setTitle("Trainsmith -> Untitled-Ch1");

    EXPECT_TRUE(link.postTo("Host A", kHostEventName, 6, (20L << 16) | 0xFFF6));
    EXPECT_TRUE(link.postTo("Host A", kProgressNoticeName, -3, 1));
    EXPECT_FALSE(link.postTo("Nobody", kHostEventName, 3, 0));
    EXPECT_TRUE(a.waitFor("--- message 2: HostEvent 6 1376246 ---\n"
                          "--- message 3: ProgressNotice -3 1 ---\n"));
    PostComposerClosed(18, 1);
    // Posted, not sent: this process's own window hears it from its event loop.
    EXPECT_TRUE(local.empty());
    EXPECT_TRUE(a.waitFor("--- message 4: ComposerClosed 18 1 ---"));
    EXPECT_TRUE(b.waitFor("--- message 1: ComposerClosed 18 1 ---"));
    QCoreApplication::processEvents();
    EXPECT_EQ(local, std::vector<std::string>{std::string(kComposerClosedName) + " 18 1"});
}

// Counts the key presses that reach it.
struct KeyCounter : QObject {
    int presses = 0;
    bool event(QEvent* e) override {
        presses += e->type() == QEvent::KeyPress;
        return QObject::event(e);
    }
};

int PressKey(KeyCounter& keys) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::sendEvent(&keys, &press);
    return keys.presses;
}

// A host registered as "Host A" that takes each connection the sender opens.
struct FakeHost {
    explicit FakeHost(const std::string& folder) {
        listening = server.listen(QString::fromStdString(folder + "/h1-1.sock"));
        WriteFileAtomically(folder + "/h1-1.title", "Host A");
    }
    QLocalServer server;
    bool listening = false;
};

// The composer's side: its window and the bar that its ProgressNotice moves.
struct Sender {
    Sender(const std::string& folder, int ackMs)
        : link(LaunchState{}, folder, LinkLimits{.ackMs = ackMs}),
          window(link, {{}, [this](std::string_view name, long position, long show) {
                            if (name == kProgressNoticeName)
                                ApplyProgressNotice(bar, position, show);
                        }}) {
        window.setTitle("Tidewright -> Untitled");
    }
    QtHostLink link;
    ProgressState bar;
    QtLinkWindow window;
};

// As tidewright-host does while it feeds the instrument, the host posts ProgressNotice to the
// composer, which shows each on its bar and takes no input while it waits; a host that never
// acknowledges the text is left after the time-out.
TEST(QtHostLink, WhileTheHostWorksOnATextTheSenderShowsItsProgressAndTakesNoInput) {
    test::Sandbox box;
    const int ackMs = 1500;
    Sender composer(LinkFolder(box), ackMs);
    QtHostLink hostSide(box.session(), LinkFolder(box));
    FakeHost host(LinkFolder(box));
    ASSERT_TRUE(host.listening);

    const std::vector<int> notices{25, 50, 75};
    std::vector<int> shown; // the composer's bar while it waits
    std::size_t posted = 0;
    std::string received;
    KeyCounter keys;
    int pressesWhileWaiting = -1;
    QLocalSocket* peer = nullptr;
    QTimer step;
    step.setInterval(10);
    QObject::connect(&host.server, &QLocalServer::newConnection, [&] {
        peer = host.server.nextPendingConnection();
        step.start();
    });
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (posted > 0 && composer.bar.position != notices[posted - 1])
            return; // not shown yet
        if (posted > 0)
            shown.push_back(composer.bar.position);
        if (posted < notices.size()) {
            hostSide.postTo("Tidewright -> Untitled", kProgressNoticeName, notices[posted++], 1);
            return;
        }
        step.stop();
        pressesWhileWaiting = PressKey(keys);
        received = peer->readAll().toStdString();
    });

    const std::string text = "Cmd=:TRAC:DEF 1,1024";
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(composer.link.sendText("Host A", text));
    EXPECT_GE(clock.elapsed(), ackMs);
    EXPECT_EQ(shown, notices);
    EXPECT_TRUE(composer.bar.visible);
    EXPECT_EQ(received, link::EncodeData(1, text));
    EXPECT_EQ(pressesWhileWaiting, 0);
    EXPECT_EQ(PressKey(keys), 1); // the hold ends with the wait
}

// A folder another account made first, as it can in /tmp: open to everyone, with a window's
// registration planted in it.
std::string PlantOpenFolder(const std::string& path) {
    CreateFolder(path);
    ::chmod(path.c_str(), 0777);
    WriteFileAtomically(path + "/w1-1.title", "Consolia - TW2014 (simulated)");
    return path;
}

TEST(QtHostLink, FolderOthersCanReachIsRefusedAndNothingRegistersThere) {
    test::Sandbox box;
    const std::string open = PlantOpenFolder(box.root() + "/open");
    QtHostLink link(box.session(), open);
    SetHostLink(&link);
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Tidewright");
    EXPECT_EQ(box.prompts.asked[0].text, link.refusal());

    QtLinkWindow window(link, {});
    window.setTitle("Tidewright -> Untitled");
    EXPECT_FALSE(window.listening());
    EXPECT_TRUE(link.titles().empty()) << "the planted title is not trusted";
    EXPECT_EQ(QDir(QString::fromStdString(open)).entryList(QDir::Files | QDir::System),
              QStringList{"w1-1.title"});
    SetHostLink(nullptr);
}

} // namespace
} // namespace tw
