#include "instrument/UsbtmcTransport.h"

#include <cerrno>

#include <fcntl.h>

namespace tw {

UsbtmcTransport::UsbtmcTransport(std::string device) : device_(std::move(device)) {}

Status UsbtmcTransport::open() {
    fd_ = ::open(device_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0)
        return failed("cannot open the device", errno);
    return {};
}

} // namespace tw
