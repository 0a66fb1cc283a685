#pragma once
#include "SimInstrument.h"

#include <deque>
#include <memory>
#include <span>
#include <string>

namespace tw::sim {

// One client's SCPI conversation, whatever carries it (a raw socket, a VXI-11 link): the bytes it
// sends are split into commands and blocks for the instrument, and the answers wait here until
// the client takes them. Buffers are bounded: a command line is short, a block's payload goes
// straight into the instrument's memory, and answers are counted (their blocks shared, not
// copied).
class ScpiStream {
  public:
    explicit ScpiStream(SimInstrument& instrument) : instrument_(instrument) {}

    // Takes bytes as they arrive; false when the client broke the syntax (it is to be dropped).
    bool take(const char* data, std::size_t size);
    // The client marked the end of its message (VXI-11's END): a last command needs no line feed.
    bool endMessage();
    // Inside the payload of a block bound for a segment: where the next bytes belong.
    std::span<char> payloadTarget() const;
    void payloadArrived(std::size_t n);

    bool answering() const { return !out_.empty(); }
    // The rest of the answer piece at the front; empty when nothing waits.
    std::span<const char> nextAnswer();
    void answerTaken(std::size_t n);

    static constexpr std::size_t kMostCommandBytes = std::size_t{64} * 1024;
    static constexpr std::size_t kMostPendingAnswers = 1024;

  private:
    bool finishCommand();

    SimInstrument& instrument_;
    enum class State { Text, BlockCount, BlockLength, Payload } state_ = State::Text;
    std::string command_;
    std::string header_; // the block command's
    std::size_t digits_ = 0;
    std::string length_;
    std::uint64_t remaining_ = 0;
    BlockTarget target_;
    struct Out {
        std::string text;
        std::shared_ptr<const Bytes> block;
        std::size_t at = 0;
    };
    std::deque<Out> out_;
};

} // namespace tw::sim
