#pragma once
#include "instrument/DescriptorTransport.h"

namespace tw {

// The raw SCPI socket: the instrument's messages over one TCP connection, each ended by a line
// feed. Only the address the resource names is ever connected to.
class SocketTransport : public DescriptorTransport {
  public:
    SocketTransport(std::string host, int port);
    std::string name() const override;

  private:
    Status open() override;
    ssize_t put(const char* data, std::size_t size) override;

    std::string host_;
    int port_;
};

// A non-blocking TCP socket connected to host:port within timeoutMs; -1 with `why` set when
// no address of the host answers.
int ConnectTcp(const std::string& host, int port, int timeoutMs, std::string& why);

} // namespace tw
