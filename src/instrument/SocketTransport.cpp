#include "instrument/SocketTransport.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tw {

namespace {

// Waits for fd to become ready for `events`; false on time-out. EINTR restarts the wait.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

std::string Seconds(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

} // namespace

SocketTransport::SocketTransport(std::string host, int port)
    : host_(std::move(host)), port_(port) {}

SocketTransport::~SocketTransport() {
    reset();
}

std::string SocketTransport::name() const {
    return ResourceText({Resource::Kind::Tcp, host_, port_, {}});
}

void SocketTransport::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

Status SocketTransport::lost(const std::string& what, int error) {
    reset();
    return Status::Failed(name() + ": " + what +
                          (error ? ": " + std::string(std::strerror(error)) : ""));
}

Status SocketTransport::connect() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(port_);
    if (int rc = ::getaddrinfo(host_.c_str(), port.c_str(), &hints, &found); rc != 0)
        return Status::Failed(name() + ": cannot find the host: " + ::gai_strerror(rc));
    std::string why = "no address";
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            if (!WaitFor(fd, POLLOUT, timeouts.connectMs)) {
                why = "no answer to the connection within " + Seconds(timeouts.connectMs);
                ::close(fd);
                continue;
            }
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
            rc = error ? -1 : 0;
            errno = error;
        }
        if (rc != 0) {
            why = std::strerror(errno);
            ::close(fd);
            continue;
        }
        // Commands are short and each waits for its answer: do not hold them back.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        fd_ = fd;
        break;
    }
    ::freeaddrinfo(found);
    if (fd_ < 0)
        return Status::Failed(name() + ": cannot connect: " + why);
    return {};
}

Status SocketTransport::write(std::span<const char> bytes, bool) {
    if (fd_ < 0)
        if (Status s = connect(); !s)
            return s;
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd_, POLLOUT, timeouts.writeMs))
                return lost("the instrument took no data for " + Seconds(timeouts.writeMs), 0);
            continue;
        }
        return lost("the connection was lost while sending", errno);
    }
    return {};
}

Status SocketTransport::read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) {
    got = 0;
    end = false;
    if (fd_ < 0)
        return Status::Failed(name() + ": nothing was asked on this connection");
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (n == 0)
            return lost("the instrument closed the connection", 0);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return lost("the connection was lost while reading", errno);
        if (!WaitFor(fd_, POLLIN, timeoutMs))
            return lost("no answer within " + Seconds(timeoutMs), 0);
    }
}

} // namespace tw
