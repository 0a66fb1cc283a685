#pragma once
#include "SegmentMemory.h"
#include "SimLimits.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw::sim {

// SCPI error numbers the simulated instrument reports in SYST:ERR?.
enum ScpiError {
    kSyntaxError = -102,
    kMissingParameter = -109,
    kUndefinedHeader = -113,
    kInvalidBlock = -161,
    kSettingsConflict = -221,
    kOutOfRange = -222,
    kIllegalValue = -224,
    kOutOfMemory = -225,
    kQueueOverflow = -350,
};

using Bytes = SegmentMemory;

// An answer to a query: a line, or a definite-length block of stored points.
struct Answer {
    std::string text;
    std::shared_ptr<const Bytes> block;
};

// Where the payload of an arriving block goes: into `bytes` (kept alive while it arrives), or
// nowhere when the block was refused.
struct BlockTarget {
    std::shared_ptr<Bytes> bytes;
    char* at = nullptr;
};

// The state a generator keeps, per channel, and the commands that change and read it. Every
// refusal queues an SCPI error; nothing is ever sized by a client beyond the limits.
class SimInstrument {
  public:
    SimInstrument(SimLimits limits, std::string npyPath);

    // Whether a command header ("TRAC:DATA") takes a block argument.
    static bool TakesBlock(std::string_view header);
    // One command without a block; an answer for a query.
    std::optional<Answer> execute(std::string_view command);
    // A block of `bytes` bytes arrives for the command `header`.
    BlockTarget beginBlock(std::string_view header, std::uint64_t bytes);
    // The client broke the syntax (the caller drops it).
    void syntaxError(const std::string& what) { queue(kSyntaxError, "Syntax error;" + what); }

    static constexpr int kChannels = 2;

  private:
    struct Segment {
        std::shared_ptr<Bytes> points; // 16-bit codes, little-endian
        bool filled = false;
    };
    struct Step {
        long segment;
        long repeat;
    };
    struct Channel {
        std::map<long, Segment> segments;
        long selected = 0;
        std::vector<Step> sequence;
        double clock = 100e6, amplitude = 1, offset = 0, fmDeviation = 0;
        std::string mode = "FIX", traceType = "ARB";
        bool output = false, continuous = true;
        std::shared_ptr<Bytes> fmPoints;
        std::map<long, long> fmSegments;
    };

    void queue(int code, std::string text);
    Channel& channel() { return channels_[active_]; }
    long memoryUsed(const Channel& c) const;
    std::optional<Answer> query(const std::string& header, const std::vector<std::string>& args);
    void command(const std::string& header, const std::vector<std::string>& args);
    void reset();
    void writeOutput();

    SimLimits limits_;
    std::string npyPath_;
    Channel channels_[kChannels];
    int active_ = 0;
    std::deque<std::pair<int, std::string>> errors_;
};

} // namespace tw::sim
