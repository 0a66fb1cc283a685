#pragma once
#include "instrument/Transport.h"

namespace tw {

// The raw SCPI socket: the instrument's messages over one TCP connection, each ended by a line
// feed. Only the address the resource names is ever connected to.
class SocketTransport : public Transport {
  public:
    SocketTransport(std::string host, int port);
    ~SocketTransport() override;
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    Status write(std::span<const char> bytes, bool end) override;
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) override;
    void reset() override;
    std::string name() const override;

  private:
    Status connect();
    Status lost(const std::string& what, int error);

    std::string host_;
    int port_;
    int fd_ = -1;
};

} // namespace tw
