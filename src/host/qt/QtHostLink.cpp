#include "host/qt/QtHostLink.h"

#include "host/qt/InputHold.h"

#include "app/FileUtil.h"
#include "app/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tw {

namespace {

using link::kConnectMs;
using link::kWriteMs;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool WriteAll(QLocalSocket& socket, const std::string& bytes) {
    socket.write(bytes.data(), qint64(bytes.size()));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kWriteMs))
            return false;
    return true;
}

enum class Connect { Ok, Gone, Failed };

Connect ConnectTo(QLocalSocket& socket, const std::string& path) {
    socket.connectToServer(Q(path));
    if (socket.waitForConnected(kConnectMs))
        return Connect::Ok;
    auto e = socket.error();
    return e == QLocalSocket::ServerNotFoundError || e == QLocalSocket::ConnectionRefusedError
               ? Connect::Gone
               : Connect::Failed;
}

// Waits up to `ms` for the acknowledgement of a data frame. Its result is not used; a receiver
// that goes away or answers anything else ends the wait too. Meanwhile this process's event loop
// runs without the user's input: the windows repaint and hear the receiver's notifications (its
// ProgressNotice while it works on the text), and no second edit or message can begin.
void AwaitAck(QLocalSocket& socket, int ms) {
    link::BufferBudget room(64);
    link::FrameReader reader(&room);
    QEventLoop loop;
    bool ended = false;
    auto read = [&] {
        QByteArray bytes = socket.readAll();
        ended = !reader.append(std::string_view(bytes.constData(), std::size_t(bytes.size()))) ||
                reader.next() || reader.failed() || socket.state() != QLocalSocket::ConnectedState;
        if (ended)
            loop.quit();
    };
    read();
    if (ended)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        // Off the windows' thread there is no input to hold: the plain blocking wait.
        while (!ended && socket.waitForReadyRead(ms))
            read();
        return;
    }
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, read);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, read);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, read);
    // A coarse timer (Qt's choice from 2 s on) may end the wait up to 5% early.
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    InputHold hold;
    loop.exec();
}

} // namespace

QtHostLink::QtHostLink(const LaunchState& session, std::string folder, LinkLimits limits)
    : folder_(std::move(folder)), limits_(limits), buffers_(limits.bufferBudget) {
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
    refusal_ = PrepareLinkFolder(folder_);
    if (!refusal_.empty())
        ask(session.appName, refusal_, Buttons::Ok, Icon::Exclamation);
}

QtHostLink::~QtHostLink() {
    for (QtLinkWindow* w : windows_)
        w->setTitle("");
}

std::vector<QtHostLink::Peer> QtHostLink::scan() {
    std::vector<Peer> peers;
    if (!refusal_.empty())
        return peers;
    QDir dir(Q(folder_));
    for (const QString& name : dir.entryList({"*.title"}, QDir::Files)) {
        std::string path = folder_ + "/" + name.toStdString();
        std::optional<std::string> title = ReadWholeFile(path);
        if (!title)
            continue;
        peers.push_back({name.chopped(6).toStdString(), *title});
    }
    return peers;
}

QtLinkWindow* QtHostLink::local(const std::string& base) const {
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [&](QtLinkWindow* w) { return w->base_ == base; });
    return it == windows_.end() ? nullptr : *it;
}

void QtHostLink::forget(const Peer& peer) {
    RemoveFile(folder_ + "/" + peer.base + ".title");
    RemoveFile(folder_ + "/" + peer.base + ".sock");
}

bool QtHostLink::sendText(std::string_view title, std::string_view text) {
    for (const Peer& peer : scan()) {
        if (peer.title != title)
            continue;
        if (QtLinkWindow* w = local(peer.base)) {
            w->handleText(text);
            return true;
        }
        QLocalSocket socket;
        Connect c = ConnectTo(socket, folder_ + "/" + peer.base + ".sock");
        if (c == Connect::Gone)
            forget(peer);
        if (c != Connect::Ok)
            continue;
        if (!WriteAll(socket, link::EncodeData(1, text)))
            continue;
        AwaitAck(socket, limits_.ackMs);
        return true;
    }
    return false;
}

bool QtHostLink::postTo(std::string_view title, std::string_view name, long first, long second) {
    bool posted = false;
    for (const Peer& peer : scan()) {
        if (peer.title != title)
            continue;
        if (QtLinkWindow* w = local(peer.base)) {
            QTimer::singleShot(0, w, [w, n = std::string(name), first, second] {
                w->handleEvent(n, first, second);
            });
            return true;
        }
        QLocalSocket socket;
        Connect c = ConnectTo(socket, folder_ + "/" + peer.base + ".sock");
        if (c == Connect::Gone)
            forget(peer);
        if (c == Connect::Ok && WriteAll(socket, link::EncodeEvent(name, first, second))) {
            socket.disconnectFromServer();
            posted = true;
            break;
        }
    }
    return posted;
}

void QtHostLink::postToAll(std::string_view name, long first, long second) {
    for (const Peer& peer : scan()) {
        if (QtLinkWindow* w = local(peer.base)) {
            QTimer::singleShot(0, w, [w, n = std::string(name), first, second] {
                w->handleEvent(n, first, second);
            });
            continue;
        }
        QLocalSocket socket;
        Connect c = ConnectTo(socket, folder_ + "/" + peer.base + ".sock");
        if (c == Connect::Gone)
            forget(peer);
        if (c == Connect::Ok && WriteAll(socket, link::EncodeEvent(name, first, second)))
            socket.disconnectFromServer();
    }
}

std::vector<std::string> QtHostLink::titles() {
    std::vector<std::string> out;
    for (const Peer& peer : scan())
        out.push_back(peer.title);
    return out;
}

QtLinkWindow::QtLinkWindow(QtHostLink& link, LinkHandlers handlers, QObject* parent)
    : QObject(parent), link_(link), handlers_(std::move(handlers)) {
    base_ = "w" + std::to_string(QCoreApplication::applicationPid()) + "-" +
            std::to_string(++link_.next_);
    link_.windows_.push_back(this);
    if (link_.refusal_.empty())
        listen(link_.folder_ + "/" + base_ + ".sock");
}

QtLinkWindow::~QtLinkWindow() {
    setTitle("");
    if (listener_ >= 0) {
        delete pending_;
        ::close(listener_);
        ::unlink(socketPath_.c_str());
    }
    auto& ws = link_.windows_;
    ws.erase(std::remove(ws.begin(), ws.end(), this), ws.end());
}

void QtLinkWindow::listen(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const char* failed = nullptr;
    if (path.size() >= sizeof address.sun_path)
        failed = "the path is too long for a socket";
    else if (fd < 0)
        failed = std::strerror(errno);
    if (!failed) {
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        ::unlink(path.c_str());
        // The folder is the user's alone; the socket is too.
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0)
            failed = std::strerror(errno);
    }
    if (failed) {
        std::fprintf(stderr, "host link: cannot listen on %s: %s\n", path.c_str(), failed);
        if (fd >= 0)
            ::close(fd);
        return;
    }
    listener_ = fd;
    socketPath_ = path;
    pending_ = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(pending_, &QSocketNotifier::activated, this, &QtLinkWindow::accept);
    resume_.setSingleShot(true);
    resume_.setInterval(link::kAcceptPauseMs);
    connect(&resume_, &QTimer::timeout, this, [this] { pending_->setEnabled(true); });
}

void QtLinkWindow::setTitle(const std::string& title) {
    std::string file = link_.folder_ + "/" + base_ + ".title";
    if (title.empty()) {
        if (!title_.empty())
            RemoveFile(file);
    } else if (title != title_ && listening()) {
        WriteFileAtomically(file, title);
    }
    title_ = title;
}

void QtLinkWindow::handleText(std::string_view text) {
    if (handlers_.text)
        handlers_.text(text);
}

void QtLinkWindow::handleEvent(std::string_view name, long first, long second) {
    if (handlers_.event)
        handlers_.event(name, first, second);
}

void QtLinkWindow::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            serve(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            // Out of descriptors or memory: the peer waits in the backlog while we pause, and
            // the socket stays.
            std::fprintf(stderr, "host link: cannot accept a connection on %s: %s; retrying\n",
                         socketPath_.c_str(), std::strerror(errno));
            pending_->setEnabled(false);
            resume_.start();
        }
        return;
    }
}

void QtLinkWindow::serve(int fd) {
    if (peers_ >= link_.limits_.maxPeers) {
        if (!full_)
            std::fprintf(stderr, "host link: %d connections on %s; dropping more\n", peers_,
                         socketPath_.c_str());
        full_ = true;
        ::close(fd);
        return;
    }
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    ++peers_;
    connect(socket, &QObject::destroyed, this, [this] {
        if (--peers_ < link_.limits_.maxPeers)
            full_ = false;
    });
    // Qt's own buffer stays small; what waits for the rest of a frame counts against the
    // process's budget.
    socket->setReadBufferSize(link::kReadChunk);
    auto reader = std::make_shared<link::FrameReader>(&link_.buffers_);
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(link_.limits_.idleMs);
    connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, idle] {
        // A handler may run a nested event loop in which the peer hangs up.
        QPointer<QLocalSocket> alive(socket);
        QByteArray bytes = socket->readAll();
        if (!reader->append(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
            socket->abort();
            return;
        }
        while (auto frame = reader->next()) {
            idle->stop();
            if (frame->kind == link::kData) {
                handleText(frame->payload);
                if (!alive)
                    return;
                std::string ack = link::EncodeAck(0);
                socket->write(ack.data(), qint64(ack.size()));
                socket->flush();
            } else if (frame->kind == link::kEvent) {
                handleEvent(frame->payload, long(frame->first), long(frame->second));
                if (!alive)
                    return;
            }
            idle->start();
        }
        if (reader->failed())
            socket->abort();
    });
    idle->start();
}

} // namespace tw
