#pragma once
#include "Connection.h"
#include "ScpiStream.h"

namespace tw::sim {

// SCPI over a raw socket: messages ended by line feeds, answers written back as they are.
class ScpiConnection : public Connection {
  public:
    ScpiConnection(int fd, SimInstrument& instrument) : Connection(fd), stream_(instrument) {}
    bool wantsToWrite() const override { return stream_.answering(); }
    bool readable() override;
    bool writable() override;

  private:
    ScpiStream stream_;
};

} // namespace tw::sim
