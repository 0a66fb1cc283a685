#include "instrument/UsbtmcTransport.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tw {

namespace {

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

} // namespace

UsbtmcTransport::UsbtmcTransport(std::string device) : device_(std::move(device)) {}

UsbtmcTransport::~UsbtmcTransport() {
    reset();
}

void UsbtmcTransport::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

Status UsbtmcTransport::failed(const std::string& what, int error) {
    reset();
    return Status::Failed(name() + ": " + what +
                          (error ? ": " + std::string(std::strerror(error)) : ""));
}

Status UsbtmcTransport::write(std::span<const char> bytes, bool) {
    if (fd_ < 0) {
        fd_ = ::open(device_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd_ < 0)
            return failed("cannot open the device", errno);
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd_, POLLOUT, timeouts.writeMs))
                return failed("the instrument took no data for " +
                                  std::to_string(timeouts.writeMs) + " ms",
                              0);
        } else {
            return failed("cannot write to the device", n < 0 ? errno : EIO);
        }
    }
    return {};
}

Status UsbtmcTransport::read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) {
    got = 0;
    end = false;
    if (fd_ < 0)
        return Status::Failed(name() + ": nothing was asked of the device");
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (n == 0)
            return failed("the device ended its answers", 0);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return failed("cannot read from the device", errno);
        if (!WaitFor(fd_, POLLIN, timeoutMs))
            return failed("no answer within " + std::to_string(timeoutMs) + " ms", 0);
    }
}

} // namespace tw
