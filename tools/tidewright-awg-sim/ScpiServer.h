#pragma once
#include "SimInstrument.h"

#include <memory>
#include <string>
#include <vector>

namespace tw::sim {

// Serves the instrument's SCPI over raw sockets: one poll loop, any number of messages per
// connection, each ended by a line feed. Buffers are bounded: a command line is short, a block's
// payload goes straight into the instrument's memory, and a client with an answer pending is not
// read until it has taken the answer. A client that breaks the syntax is dropped.
class ScpiServer {
  public:
    ScpiServer(SimInstrument& instrument, int listenFd);
    ~ScpiServer();
    // Runs until a signal asks to stop.
    void run();

    static constexpr std::size_t kMostClients = 16;
    static constexpr std::size_t kMostCommandBytes = 64 * 1024;

  private:
    struct Client;
    void accept();
    // False when the client is to be dropped.
    bool readFrom(Client& client);
    bool writeTo(Client& client);
    bool take(Client& client, const char* data, std::size_t size);
    void finishCommand(Client& client);

    SimInstrument& instrument_;
    int listenFd_;
    std::vector<std::unique_ptr<Client>> clients_;
};

} // namespace tw::sim
