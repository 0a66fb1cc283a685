#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::link {

// Frame kinds of the local-socket channel between windows. Integers are little-endian.
enum Kind : std::uint8_t {
    kData = 1,  // u32 tag, u32 length, `length` bytes (no terminator); answered by kAck
    kEvent = 2, // u16 name length, name, i64 first, i64 second; not answered
    kAck = 3,   // i64 result: the receiver has handled the data frame
};

struct Frame {
    Kind kind = kData;
    std::uint32_t tag = 0;
    std::string payload; // the text of a data frame, the name of an event
    std::int64_t first = 0, second = 0;
};

inline constexpr std::uint32_t kMaxPayload = 64u << 20;

std::string EncodeData(std::uint32_t tag, std::string_view text);
std::string EncodeEvent(std::string_view name, std::int64_t first, std::int64_t second);
std::string EncodeAck(std::int64_t result);

// Collects the bytes of a stream and hands out whole frames in order. A malformed stream
// (unknown kind, oversized payload) sets failed() and yields nothing more.
class FrameReader {
  public:
    void append(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<Frame> next();
    bool failed() const { return failed_; }

  private:
    std::string buffer_;
    bool failed_ = false;
};

} // namespace tw::link
