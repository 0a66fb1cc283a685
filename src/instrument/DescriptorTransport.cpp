#include "instrument/DescriptorTransport.h"

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <unistd.h>

namespace tw {

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

std::string DurationText(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

DescriptorTransport::~DescriptorTransport() {
    if (fd_ >= 0)
        ::close(fd_);
}

void DescriptorTransport::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

Status DescriptorTransport::failed(const std::string& what, int error) {
    reset();
    return Status::Failed(name() + ": " + what +
                          (error ? ": " + std::string(std::strerror(error)) : ""));
}

ssize_t DescriptorTransport::put(const char* data, std::size_t size) {
    return ::write(fd_, data, size);
}

Status DescriptorTransport::write(std::span<const char> bytes, bool) {
    if (fd_ < 0)
        if (Status s = open(); !s)
            return s;
    while (!bytes.empty()) {
        const ssize_t n = put(bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd_, POLLOUT, timeouts.writeMs))
                return failed("the instrument took no data for " + DurationText(timeouts.writeMs),
                              0);
            continue;
        }
        return failed("the connection was lost while sending", n < 0 ? errno : EIO);
    }
    return {};
}

Status DescriptorTransport::read(std::span<char> buffer, std::size_t& got, bool& end,
                                 int timeoutMs) {
    got = 0;
    end = false;
    if (fd_ < 0)
        return Status::Failed(name() + ": nothing was asked on this connection");
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (n == 0)
            return failed("the instrument closed the connection", 0);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return failed("the connection was lost while reading", errno);
        if (!WaitFor(fd_, POLLIN, timeoutMs))
            return failed("no answer within " + DurationText(timeoutMs), 0);
    }
}

} // namespace tw
