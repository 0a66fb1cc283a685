#pragma once
#include "instrument/Transport.h"

#include <sys/types.h>

namespace tw {

// A transport over one non-blocking file descriptor (a socket or a device file): the time-outs,
// the loops over partial writes and interrupted calls, and the reset after any failure.
class DescriptorTransport : public Transport {
  public:
    DescriptorTransport() = default;
    ~DescriptorTransport() override;
    DescriptorTransport(const DescriptorTransport&) = delete;
    DescriptorTransport& operator=(const DescriptorTransport&) = delete;

    Status write(std::span<const char> bytes, bool end) override;
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) override;
    void reset() override;

  protected:
    // Opens the descriptor into fd_; called by the first write after a reset.
    virtual Status open() = 0;
    // One write of at most size bytes, as write(2) answers.
    virtual ssize_t put(const char* data, std::size_t size);
    // Resets and says what failed, with the system's reason when error is set.
    Status failed(const std::string& what, int error);

    int fd_ = -1;
};

// Waits for fd to become ready for `events`; false on time-out. EINTR restarts the wait.
bool WaitFor(int fd, short events, int timeoutMs);
// "3 s", "300 ms".
std::string DurationText(int ms);

} // namespace tw
