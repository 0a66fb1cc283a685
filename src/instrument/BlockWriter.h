#pragma once
#include "instrument/Transport.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tw {

// Told how far a transfer has come; returns false to cancel it.
using TransferProgress = std::function<bool(std::uint64_t sent, std::uint64_t total)>;

// The count of length digits is one decimal digit, so a block holds at most 9 digits of bytes.
inline constexpr std::uint64_t kMostBlockBytes = 999'999'999;

// The IEEE 488.2 definite-length block header of `bytes` bytes: "#<n><length>", n the number of
// length digits; "" for more than kMostBlockBytes.
std::string BlockHeader(std::uint64_t bytes);

// Where the bytes of a block come from: files read piece by piece (the points are never all in
// memory) or points already in memory.
class BlockSource {
  public:
    // The files one after another, as one block.
    static BlockSource Files(std::vector<std::string> paths);
    static BlockSource Memory(std::span<const char> bytes);

    // The total size; an error names the file that cannot be read.
    Status measure(std::uint64_t& bytes) const;
    // Calls `piece` for each piece of at most pieceBytes bytes, in order.
    Status forEach(std::size_t pieceBytes,
                   const std::function<Status(std::span<char>)>& piece) const;

  private:
    std::vector<std::string> paths_;
    std::span<const char> memory_;
};

struct BlockWrite {
    Status status;
    bool cancelled = false;
    std::uint64_t bytes = 0; // of the payload
};

// Sends `command` + " " + header + payload + "\n" as one message. Points of pointBytes bytes are
// byte-swapped on the way when bigEndian. A cancel or failure leaves the instrument mid-block:
// the caller resets the transport.
BlockWrite WriteBlock(Transport& transport, const std::string& command, const BlockSource& source,
                      int pointBytes, bool bigEndian, const TransferProgress& progress,
                      std::uint64_t progressBase = 0, std::uint64_t progressTotal = 0);

} // namespace tw
