#pragma once
#include <cstddef>
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

// A host message is a few lines of commands and paths; a frame announcing more than this is
// garbage and ends its connection at once.
inline constexpr std::uint32_t kMaxPayload = 1u << 20;
// What the unfinished frames of all connections of one receiver may hold together.
inline constexpr std::size_t kBufferBudget = 4 * std::size_t(kMaxPayload);

std::string EncodeData(std::uint32_t tag, std::string_view text);
std::string EncodeEvent(std::string_view name, std::int64_t first, std::int64_t second);
std::string EncodeAck(std::int64_t result);

// The bytes that frame readers sharing it hold, against a limit.
class BufferBudget {
  public:
    explicit BufferBudget(std::size_t limit) : limit_(limit) {}
    std::size_t limit() const { return limit_; }
    std::size_t used() const { return used_; }
    std::size_t peak() const { return peak_; }

  private:
    friend class FrameReader;
    std::size_t limit_;
    std::size_t used_ = 0;
    std::size_t peak_ = 0;
};

// Collects the bytes of a stream and hands out whole frames in order. A malformed stream
// (unknown kind, oversized payload) or bytes beyond the budget set failed(), release what the
// reader held, and yield nothing more.
class FrameReader {
  public:
    explicit FrameReader(BufferBudget* budget = nullptr) : budget_(budget) {}
    ~FrameReader() { release(buffer_.size()); }
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // False when the reader has failed, now or before.
    bool append(std::string_view bytes);
    std::optional<Frame> next();
    bool failed() const { return failed_; }
    std::size_t buffered() const { return buffer_.size(); }

  private:
    void stop(); // gives back what the reader holds and takes nothing more
    void release(std::size_t bytes);

    BufferBudget* budget_;
    std::string buffer_;
    bool failed_ = false;
};

} // namespace tw::link
