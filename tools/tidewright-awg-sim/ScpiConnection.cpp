#include "ScpiConnection.h"

#include <cerrno>

#include <sys/socket.h>

namespace tw::sim {

namespace {

// A read that found nothing, or the client is gone (false).
bool NothingYet(ssize_t n) {
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
}

} // namespace

bool ScpiConnection::readable() {
    // A block's payload goes straight from the socket into the segment.
    if (std::span<char> target = stream_.payloadTarget(); !target.empty()) {
        const ssize_t n = ::recv(fd_, target.data(), target.size(), 0);
        if (n <= 0)
            return NothingYet(n);
        stream_.payloadArrived(static_cast<std::size_t>(n));
        return true;
    }
    static char buffer[256 * 1024];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0)
        return NothingYet(n);
    return stream_.take(buffer, static_cast<std::size_t>(n));
}

bool ScpiConnection::writable() {
    for (std::span<const char> piece; !(piece = stream_.nextAnswer()).empty();) {
        const ssize_t n = ::send(fd_, piece.data(), piece.size(), MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        stream_.answerTaken(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace tw::sim
