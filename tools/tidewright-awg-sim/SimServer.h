#pragma once
#include "Connection.h"
#include "SimInstrument.h"
#include "Vxi11Connection.h"

#include <memory>
#include <vector>

namespace tw::sim {

// Serves one instrument to its clients in one poll loop: SCPI over raw sockets and, when a
// VXI-11 listener is given, over VXI-11 links; all of them see the same instrument state.
class SimServer {
  public:
    // vxi11Fd is -1 without VXI-11.
    SimServer(SimInstrument& instrument, int scpiFd, int vxi11Fd, Vxi11Settings settings);
    // Runs until a signal asks to stop.
    void run();

    static constexpr std::size_t kMostClients = 16;

  private:
    void accept(int listenFd);

    SimInstrument& instrument_;
    int scpiFd_;
    int vxi11Fd_;
    Vxi11Settings settings_;
    std::vector<std::unique_ptr<Connection>> clients_;
};

} // namespace tw::sim
