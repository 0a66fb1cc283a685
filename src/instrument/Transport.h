#pragma once
#include "instrument/Resource.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace tw {

// How long a transport waits for the other side before it gives up, in milliseconds.
struct Timeouts {
    int connectMs = 3000;
    int writeMs = 10000; // without a single byte taken
    int readMs = 10000;  // for the first byte of an answer, and between its pieces
};

// An outcome that can fail: empty when it went well, else what went wrong, in words for the user.
struct Status {
    std::string error;
    explicit operator bool() const { return error.empty(); }
    static Status Failed(std::string why) { return {std::move(why)}; }
};

// One way of carrying SCPI messages to an instrument and its answers back. A transport connects
// on first use; after reset() (or a failure) the next call connects again.
class Transport {
  public:
    virtual ~Transport() = default;
    // Writes all of bytes; `end` marks the last piece of a message (VXI-11 sets END on it, USBTMC
    // EOM). Never returns with part of the bytes written and no error.
    virtual Status write(std::span<const char> bytes, bool end) = 0;
    // Reads what arrives, at least one byte, at most buffer.size(); `got` is set to the count.
    // `end` tells that the instrument marked the end of its answer (where the transport knows).
    virtual Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) = 0;
    // Drops the connection and anything half sent or received.
    virtual void reset() = 0;
    // The instrument, as the user named it.
    virtual std::string name() const = 0;

    Timeouts timeouts;
};

// The transport for a resource; an error when this build cannot reach that kind.
std::unique_ptr<Transport> OpenTransport(const Resource& resource, std::string& error);

} // namespace tw
