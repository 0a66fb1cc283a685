#pragma once
#include "instrument/Transport.h"

namespace tw {

// USBTMC through the Linux kernel driver's character device (/dev/usbtmcN): the driver frames
// each write into bulk-out transfers with EOM on the last and each read into a request for the
// instrument's answer, so the device file carries the bare SCPI bytes.
class UsbtmcTransport : public Transport {
  public:
    explicit UsbtmcTransport(std::string device);
    ~UsbtmcTransport() override;
    UsbtmcTransport(const UsbtmcTransport&) = delete;
    UsbtmcTransport& operator=(const UsbtmcTransport&) = delete;

    Status write(std::span<const char> bytes, bool end) override;
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) override;
    void reset() override;
    std::string name() const override { return "usbtmc://" + device_; }

  private:
    Status failed(const std::string& what, int error);

    std::string device_;
    int fd_ = -1;
};

} // namespace tw
