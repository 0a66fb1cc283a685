// Peers that open connections and never finish a frame: what the receiver holds stays bounded,
// they are dropped, and the host is still served.
#include "HostLinkProcess.h"
#include "host/LinkFrames.h"
#include "host/qt/QtHostLink.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>

namespace tw {
namespace {

using Sockets = std::vector<std::unique_ptr<QLocalSocket>>;

// The socket of the window registered under `title`.
std::string SocketOf(const std::string& folder, const std::string& title) {
    QDir dir(QString::fromStdString(folder));
    for (const QString& name : dir.entryList({"*.title"}, QDir::Files))
        if (ReadWholeFile(folder + "/" + name.toStdString()) == title)
            return folder + "/" + name.chopped(6).toStdString() + ".sock";
    return "";
}

// A data frame's header announcing `length` bytes, and `sent` bytes of them.
std::string Unfinished(std::uint32_t length, std::size_t sent) {
    return link::EncodeData(1, std::string(length, 'x')).substr(0, 9 + sent);
}

// Opens `count` connections and writes `bytes` on each, running the event loop (the receiver
// may be this process) until every byte is written or its connection is dropped.
Sockets Flood(const std::string& socket, int count, const std::string& bytes) {
    Sockets sockets;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<QLocalSocket>();
        s->connectToServer(QString::fromStdString(socket));
        EXPECT_TRUE(s->waitForConnected(2000));
        s->write(bytes.data(), qint64(bytes.size()));
        sockets.push_back(std::move(s));
    }
    QElapsedTimer clock;
    clock.start();
    auto busy = [&] {
        for (auto& s : sockets)
            if (s->state() == QLocalSocket::ConnectedState && s->bytesToWrite() > 0)
                return true;
        return false;
    };
    while (busy() && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return sockets;
}

// How many of the connections the receiver has dropped, after waiting up to `ms` for `atLeast`.
int Dropped(const Sockets& sockets, int atLeast, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        int dropped = 0;
        for (auto& s : sockets)
            dropped += s->state() == QLocalSocket::UnconnectedState;
        if (dropped >= atLeast || clock.elapsed() > ms)
            return dropped;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Sends one host message over a connection of its own and waits for the acknowledgement.
bool SendRaw(const std::string& socket, const std::string& text) {
    QLocalSocket s;
    s.connectToServer(QString::fromStdString(socket));
    if (!s.waitForConnected(2000))
        return false;
    std::string frame = link::EncodeData(1, text);
    s.write(frame.data(), qint64(frame.size()));
    QElapsedTimer clock;
    clock.start();
    while (s.bytesAvailable() < 9 && s.state() == QLocalSocket::ConnectedState &&
           clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return s.read(1) == QByteArray(1, char(link::kAck));
}

// The peak resident memory of a process, in KiB.
long PeakMemoryKiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A window of this process registered as "Host A" under `limits`; it keeps the texts it gets
// and takes longer than the idle time over "slow", as a message box would.
struct Receiver {
    explicit Receiver(LinkLimits limits) : limits(limits) { window.setTitle("Host A"); }
    test::Sandbox box;
    LinkLimits limits;
    std::string folder = box.root() + "/link";
    QtHostLink link{box.session(), folder, limits};
    std::vector<std::string> got;
    QtLinkWindow window{link,
                        {[this](std::string_view t) {
                             got.emplace_back(t);
                             if (t == "slow")
                                 QTest::qWait(3 * this->limits.idleMs);
                         },
                         {}}};
};

TEST(LinkLimits, UnfinishedFramesShareOneBudgetAndIdlePeersAreDropped) {
    Receiver host({.bufferBudget = 100 * 1024, .idleMs = 400});
    const std::string socket = SocketOf(host.folder, "Host A");
    ASSERT_NE(socket, "");

    // Six peers announce 30 KiB each and send 29 KiB: only three fit in 100 KiB together.
    Sockets flood = Flood(socket, 6, Unfinished(30 * 1024, 29 * 1024));
    EXPECT_EQ(Dropped(flood, 3, 1000), 3);
    EXPECT_GT(host.link.buffers().used(), 80u * 1024);
    // One that announces more than a frame may carry goes at once.
    Sockets oversized = Flood(socket, 1, Unfinished(link::kMaxPayload + 1, 0));
    EXPECT_EQ(Dropped(oversized, 1), 1);

    ASSERT_TRUE(SendRaw(socket, "Cmd=:TRAC:DEL:ALL"));
    // The time a handler takes does not count as idle.
    ASSERT_TRUE(SendRaw(socket, "slow"));
    EXPECT_EQ(host.got, (std::vector<std::string>{"Cmd=:TRAC:DEL:ALL", "slow"}));

    // The survivors never finish their frames, and a peer that sends nothing holds a socket:
    // both are dropped when they have been idle long enough, and their bytes come back.
    Sockets silent = Flood(socket, 1, "");
    EXPECT_EQ(Dropped(flood, 6), 6);
    EXPECT_EQ(Dropped(silent, 1), 1);
    QCoreApplication::processEvents(); // the dropped sockets go
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.link.buffers().used(), 0u);
    EXPECT_LE(host.link.buffers().peak(), host.limits.bufferBudget);
}

TEST(LinkLimits, HostStandInDropsFloodingPeersAndStillTakesMessages) {
    test::Sandbox box;
    const std::string folder = box.root() + "/link";
    test::SimProcess host(box.root(), {"--no-launch", "--title", "Host A"});
    ASSERT_TRUE(test::WaitForTitle(folder, "Host A"));
    const std::string socket = SocketOf(folder, "Host A");
    ASSERT_NE(socket, "");
    const long before = PeakMemoryKiB(host.pid());

    // Twelve peers announce 60 MiB each and send 2 MiB of it.
    Sockets huge = Flood(socket, 12, Unfinished(60u << 20, 2u << 20));
    EXPECT_EQ(Dropped(huge, 12), 12);
    // Twelve announce a frame as long as may be and send all but its last byte: together they
    // would hold 12 MiB, and no more than three fit in the budget of 4 MiB.
    static_assert(link::kBufferBudget == 4 * link::kMaxPayload);
    Sockets many = Flood(socket, 12, Unfinished(link::kMaxPayload, link::kMaxPayload - 1));
    EXPECT_GE(Dropped(many, 9), 9);
    const long grown = PeakMemoryKiB(host.pid()) - before;
    EXPECT_LT(grown, 16 * 1024) << "the host stand-in grew by " << grown << " KiB";

    QtHostLink link(box.session(), folder);
    SetHostLink(&link);
    ASSERT_TRUE(Show(box.prompts, SendToHost(box.session(), "Host A", "Cmd=:TRAC:DEL:ALL")));
    EXPECT_TRUE(host.waitFor("--- message 1 (17 bytes) ---\nCmd=:TRAC:DEL:ALL\n"));
    SetHostLink(nullptr);
}

// Peers beyond the bound are dropped, and a burst that leaves no descriptor for accept pauses
// the window's listening instead of ending it: the host is served once descriptors are back.
TEST(LinkLimits, ListeningOutlivesABurstOfConnections) {
    Receiver host({.maxPeers = 4});
    const std::string socket = SocketOf(host.folder, "Host A");
    ASSERT_NE(socket, "");
    Sockets idle = Flood(socket, 7, "");
    EXPECT_EQ(Dropped(idle, 3, 2000), 3);
    idle.clear();
    QTest::qWait(200); // their places come free

    // Room for the three peers' own sockets only: accept finds no descriptor left.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    int highest = 0;
    for (int fd = 0; fd < 4096; ++fd)
        highest = ::fcntl(fd, F_GETFD) >= 0 ? fd : highest;
    // Free descriptors below the highest would take the peers: they are filled first.
    std::vector<int> fillers;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) {
        fillers.push_back(fd);
        if (fd > highest)
            break;
    }
    highest = fillers.back();
    rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(highest + 1 + 3);
    ::setrlimit(RLIMIT_NOFILE, &none);
    Sockets waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(std::make_unique<QLocalSocket>());
        waiting.back()->connectToServer(QString::fromStdString(socket));
        EXPECT_TRUE(waiting.back()->waitForConnected(2000));
    }
    QTest::qWait(300); // accept fails: no descriptor left
    ::setrlimit(RLIMIT_NOFILE, &saved);
    for (int fd : fillers)
        ::close(fd);
    waiting.clear();
    QTest::qWait(200);
    ASSERT_TRUE(SendRaw(socket, "after the burst"));
    EXPECT_EQ(host.got, (std::vector<std::string>{"after the burst"}));
}

} // namespace
} // namespace tw
