#pragma once
#include "instrument/Transport.h"

#include <cstdint>

struct __rpc_client; // NOLINT(bugprone-reserved-identifier): libtirpc's client type

namespace tw {

// VXI-11 over ONC RPC (libtirpc): a link to one device of the instrument, made on first use.
// Writes go as device_write calls of at most the link's maxRecvSize (and never more than
// vxi11::kMostWritePiece), END only on the last piece of a message; answers come by device_read
// until END. The port is the resource's, or the one the portmapper of the same host names.
class Vxi11Transport : public Transport {
  public:
    Vxi11Transport(std::string host, int port, std::string device, int portmapperPort = 111);
    ~Vxi11Transport() override;
    Vxi11Transport(const Vxi11Transport&) = delete;
    Vxi11Transport& operator=(const Vxi11Transport&) = delete;

    Status write(std::span<const char> bytes, bool end) override;
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) override;
    // Destroys the link (when it still answers) and closes the connection.
    void reset() override;
    std::string name() const override;

    // The maxRecvSize the instrument announced for the current link; 0 without one.
    std::uint32_t maxRecvSize() const { return client_ ? maxRecvSize_ : 0; }

  private:
    Status open();
    Status portFromPortmapper(int& port);
    // Dropped without destroy_link (the link is not to be trusted), with what failed.
    Status failed(const std::string& what);

    std::string host_;
    int port_;
    std::string device_;
    int portmapperPort_;
    __rpc_client* client_ = nullptr;
    int lid_ = 0;
    std::uint32_t maxRecvSize_ = 0;
};

} // namespace tw
