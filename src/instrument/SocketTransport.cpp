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

SocketTransport::SocketTransport(std::string host, int port)
    : host_(std::move(host)), port_(port) {}

std::string SocketTransport::name() const {
    return ResourceText({Resource::Kind::Tcp, host_, port_, {}});
}

int ConnectTcp(const std::string& host, int port, int timeoutMs, std::string& why) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        why = std::string("cannot find the host: ") + ::gai_strerror(rc);
        return -1;
    }
    why = "cannot connect: no address";
    int connected = -1;
    for (addrinfo* a = found; a && connected < 0; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            if (!WaitFor(fd, POLLOUT, timeoutMs)) {
                why =
                    "cannot connect: no answer to the connection within " + DurationText(timeoutMs);
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
            why = std::string("cannot connect: ") + std::strerror(errno);
            ::close(fd);
            continue;
        }
        // Commands are short and each waits for its answer: do not hold them back.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        connected = fd;
    }
    ::freeaddrinfo(found);
    return connected;
}

Status SocketTransport::open() {
    std::string why;
    fd_ = ConnectTcp(host_, port_, timeouts.connectMs, why);
    if (fd_ < 0)
        return Status::Failed(name() + ": " + why);
    return {};
}

// send(), not write(): a peer gone away must give EPIPE, not end the program by SIGPIPE.
ssize_t SocketTransport::put(const char* data, std::size_t size) {
    return ::send(fd_, data, size, MSG_NOSIGNAL);
}

} // namespace tw
