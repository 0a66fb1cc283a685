#pragma once
#include "instrument/DescriptorTransport.h"

namespace tw {

// USBTMC through the Linux kernel driver's character device (/dev/usbtmcN): the driver frames
// each write into bulk-out transfers with EOM on the last and each read into a request for the
// instrument's answer, so the device file carries the bare SCPI bytes.
class UsbtmcTransport : public DescriptorTransport {
  public:
    explicit UsbtmcTransport(std::string device);
    std::string name() const override { return "usbtmc://" + device_; }

  private:
    Status open() override;

    std::string device_;
};

} // namespace tw
