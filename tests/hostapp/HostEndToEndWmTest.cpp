#include "DriveWindows.h"
#include "app/FileUtil.h"
#include "host/ExchangeFile.h"
#include "host/qt/QtHostLink.h"
#include "hostapp/qt/HostWindow.h"
#include "instrument/InstrumentSession.h"
#include "support/Sandbox.h"
#include "support/wm/WindowManager.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace tw {
namespace {

using namespace test;

constexpr const char* kInstruments = TW_SOURCE_DIR "/data/instrument";

// What the instrument holds, read by a client of its own.
struct Reader {
    std::unique_ptr<InstrumentSession> session;
    std::string query(const std::string& command) {
        std::string answer;
        EXPECT_TRUE(session->query(command, answer).ok()) << command;
        return answer;
    }
    std::string block(const std::vector<std::string>& select, const std::string& command) {
        for (const std::string& s : select)
            EXPECT_TRUE(session->write(s).ok()) << s;
        std::string bytes;
        EXPECT_TRUE(session
                        ->queryBlock(command,
                                     [&](std::span<const char> piece) {
                                         bytes.append(piece.data(), piece.size());
                                     })
                        .ok());
        return bytes;
    }
};

Reader ReaderOf(const HostWindow& host) {
    SessionOpen open =
        OpenInstrumentSession(host.resourceBox()->text().toStdString(), kInstruments, "");
    EXPECT_TRUE(open.session) << open.error;
    return {std::move(open.session)};
}

// Sends a host message to the host as a composer does, from a thread of its own so the host
// (on this thread) can carry it out meanwhile.
void SendAsComposer(const std::string& hostTitle, const std::string& text) {
    std::atomic<bool> sent = false;
    std::thread composer([&] {
        QtHostLink link(LaunchState{});
        link.sendText(hostTitle, text);
        sent = true;
    });
    WaitUntil([&] { return sent.load(); }, 120000);
    composer.join();
}

TEST(HostEndToEnd, TheComposerDownloadsThroughTheHostIntoTheSimulatedInstrument) {
    TW_REQUIRE_WINDOW_MANAGER();
    test::Sandbox box(0, false);
    QtHostLink link(box.session());
    HostWindow host(link, {box.root(), kInstruments, TW_BINARY_DIR "/tidewright",
                           TW_BINARY_DIR "/tools/tidewright-awg-sim"});
    host.show();
    ASSERT_TRUE(test::WaitFramed(host));
    ASSERT_TRUE(host.useSimulatedInstrument()) << box.prompts.lastText();
    const std::string hostTitle = host.windowTitle().toStdString();

    host.startComposer(0);
    const std::string window = XWindow("^Tidewright ->");
    ASSERT_FALSE(window.empty());
    QTest::qWait(1000); // the composer settles where the host placed it
    const std::string dialog = OpenDialog(window, {"alt+w", "s"}, "^Sine");
    ASSERT_FALSE(dialog.empty());
    auto finished = [&] {
        return Logged(host, HostLog::Kind::Note, "Done") || Logged(host, HostLog::Kind::Error, "");
    };
    for (int attempt = 0; attempt < 4 && !finished(); ++attempt) {
        if (attempt == 0 || !XWindow("^Sine", 500).empty())
            Keys(dialog, {"Return"});
        Keys(window, {"ctrl+d"});
        WaitUntil(finished, 15000);
    }
    ASSERT_TRUE(finished()) << host.log().text();
    EXPECT_FALSE(Logged(host, HostLog::Kind::Error, "")) << host.log().text();
    EXPECT_EQ(
        ReaderOf(host).block({":INST:SEL 1", ":TRAC:SEL 1"}, ":TRAC:DATA?"),
        ReadWholeFile(box.get(host.exchange().path(), "SegmTbl-ch0", "1")).value_or("<none>"));
    // Another segment chosen in the host: the composer follows.
    host.segmentBox()->setValue(2);
    EXPECT_EQ(box.get(host.exchange().path(), "Settings", "AcSeg"), "2 1");
    EXPECT_TRUE(WaitUntil([&] {
        return host.exchange().composerTitle(ComposerKindOf(0)).find("TemS2") != std::string::npos;
    })) << host.exchange().composerTitle(ComposerKindOf(0));
    host.segmentBox()->setValue(1);
    // Closing the host closes the composer first, then the host.
    QTest::qWait(500);
    host.close();
    ASSERT_TRUE(WaitUntil([&] { return !host.composerRunning(); })) << host.log().text();
    ASSERT_TRUE(WaitUntil([&] { return !host.isVisible(); }));
    host.show();

    // An instrument error: in the log and in a box.
    box.prompts.clear();
    SendAsComposer(hostTitle, "Cmd=:TRAC:DEF 1,16777220");
    EXPECT_TRUE(Logged(host, HostLog::Kind::Error, "instrument error -222")) << host.log().text();
    EXPECT_TRUE(box.prompts.sawText("after :TRAC:DEF 1,16777220")) << box.prompts.lastText();

    // A 256M-point transfer cancelled: host and instrument go on.
    host.instrumentBox()->setCurrentText("TW3256");
    ASSERT_TRUE(WaitUntil([&] { return host.resourceBox()->text().startsWith("tcp://"); }));
    const std::string big = box.root() + "/big.wav";
    {
        const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, std::int64_t(2) << 28), 0); // 268,435,456 16-bit points
        ::close(fd);
    }
    QTimer cancel;
    bool cancelled = false;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible()) {
                dialog->cancel();
                cancelled = true;
            }
    });
    cancel.start(5);
    SendAsComposer(host.windowTitle().toStdString(),
                   "Cmd=:TRAC:DEF 1,268435456;:TRAC:SEL 1\nWav=" + big);
    cancel.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(Logged(host, HostLog::Kind::Error, "cancelled while sending")) << host.log().text();
    const std::size_t before = host.log().lines().size();
    SendAsComposer(host.windowTitle().toStdString(), "Cmd=:TRAC:DEF 1,1024");
    EXPECT_TRUE(Logged(host, HostLog::Kind::Note, "Done", before)) << host.log().text();
    EXPECT_EQ(ReaderOf(host).query(":TRAC:DEF? 1"), "1024");
    EXPECT_TRUE(host.testConnection());
    RemoveFile(big);
}

// The host program finds the simulator and the composer beside it: started with both, it brings
// the composer up only once the simulator is. A termination signal ends it, composer and all.
TEST(HostProgram, StartsTheSimulatorAndTheComposerItFindsBesideIt) {
    test::Sandbox box(0, false);
    const std::string folder = box.root() + "/link";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", QString::fromStdString(box.root()));
    env.insert("TIDEWRIGHT_LINK_DIR", QString::fromStdString(folder));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TIDEWRIGHT_NONINTERACTIVE", "1");
    QProcess host;
    host.setProcessEnvironment(env);
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(TW_BINARY_DIR "/tools/tidewright-host", {"--simulated", "--composer", "standard"});
    QtHostLink link(LaunchState{}, folder);
    const bool composerUp = WaitUntil([&] {
        const auto titles = link.titles();
        return std::any_of(titles.begin(), titles.end(),
                           [](const std::string& t) { return t.starts_with("Tidewright ->"); });
    });
    host.terminate();
    EXPECT_TRUE(host.waitForFinished(20000));
    EXPECT_TRUE(composerUp) << host.readAll().toStdString();
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return link.titles().empty(); }, 10000));
}

} // namespace
} // namespace tw
