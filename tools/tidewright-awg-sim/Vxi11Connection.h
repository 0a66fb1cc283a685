#pragma once
#include "Connection.h"
#include "ScpiStream.h"

#include <rpc/rpc.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tw::sim {

struct Vxi11Settings {
    std::uint32_t maxRecvSize = 1u << 20; // what create_link announces
    std::FILE* log = nullptr;             // one line per device_write: "device_write <bytes> END|-"
};

// VXI-11's core channel over one TCP connection: ONC RPC records in, replies out; each link is
// an SCPI conversation with the instrument. It also answers the portmapper's GETPORT for the
// core channel, so a client can be pointed at it as its portmapper. Everything it holds is
// bounded: a record, the links, and one reply at a time (records behind it wait unread).
class Vxi11Connection : public Connection {
  public:
    Vxi11Connection(int fd, SimInstrument& instrument, const Vxi11Settings& settings);
    ~Vxi11Connection() override;

    bool wantsToWrite() const override { return sent_ < reply_.size(); }
    bool readable() override;
    bool writable() override;

    static constexpr std::size_t kMostRecordBytes = 16u << 20;
    static constexpr std::size_t kMostLinks = 8;

  private:
    // Consumes unread_ up to the end of the next whole record and answers it; false to drop.
    bool process();
    bool answer(const char* record, std::size_t size);
    // Puts the reply of accept state `state` with its result (at most resultBytes) in reply_.
    bool reply(u_int xid, u_int state, std::size_t resultBytes = 0,
               const std::function<void(XDR*)>& result = {});
    bool getPort(XDR* in, u_int xid);
    bool createLink(XDR* in, u_int xid);
    bool deviceWrite(XDR* in, u_int xid);
    bool deviceRead(XDR* in, u_int xid);
    bool destroyLink(XDR* in, u_int xid);

    SimInstrument& instrument_;
    const Vxi11Settings& settings_;
    std::vector<char> unread_; // received, not yet processed (at most one receive's worth)
    std::vector<char> record_; // the fragments of the record being put together
    std::vector<char> reply_;
    std::size_t sent_ = 0;
    std::map<int, std::unique_ptr<ScpiStream>> links_;
    int nextLink_ = 1;
};

} // namespace tw::sim
