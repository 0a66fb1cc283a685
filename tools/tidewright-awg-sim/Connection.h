#pragma once
#include <unistd.h>

namespace tw::sim {

// One client's connection to the simulator, driven by the server's poll loop.
class Connection {
  public:
    explicit Connection(int fd) : fd_(fd) {}
    virtual ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int fd() const { return fd_; }
    // A connection with output pending is not read until the client has taken it, so what a
    // client can make the simulator hold is bounded.
    virtual bool wantsToWrite() const = 0;
    // Each returns false when the client is to be dropped.
    virtual bool readable() = 0;
    virtual bool writable() = 0;

  protected:
    int fd_;
};

} // namespace tw::sim
