#include "ScpiStream.h"

#include <algorithm>
#include <cstring>

namespace tw::sim {

bool ScpiStream::finishCommand() {
    std::optional<Answer> answer = instrument_.execute(command_);
    command_.clear();
    if (!answer)
        return true;
    if (answer->block) {
        const std::string length = std::to_string(answer->block->size());
        out_.push_back({"#" + std::to_string(length.size()) + length, answer->block});
        out_.push_back({"\n", nullptr});
    } else {
        out_.push_back({answer->text + "\n", nullptr});
    }
    return out_.size() <= kMostPendingAnswers;
}

bool ScpiStream::endMessage() {
    if (state_ != State::Text)
        return true; // a block may span messages
    if (command_.find_first_not_of(" \t\r") == std::string::npos) {
        command_.clear();
        return true;
    }
    return finishCommand();
}

std::span<char> ScpiStream::payloadTarget() const {
    if (state_ != State::Payload || !target_.at)
        return {};
    return {target_.at, static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, 1 << 30))};
}

void ScpiStream::payloadArrived(std::size_t n) {
    if (target_.at)
        target_.at += n;
    remaining_ -= n;
    if (remaining_ == 0) {
        state_ = State::Text;
        target_ = {};
    }
}

bool ScpiStream::take(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char ch = data[i];
        switch (state_) {
        case State::Payload: {
            const auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(remaining_, static_cast<std::uint64_t>(size - i)));
            if (target_.at)
                std::memcpy(target_.at, data + i, n);
            payloadArrived(n);
            i += n - 1;
            break;
        }
        case State::BlockCount:
            if (ch < '1' || ch > '9')
                return false; // indefinite-length and malformed blocks are not taken
            digits_ = static_cast<std::size_t>(ch - '0');
            length_.clear();
            state_ = State::BlockLength;
            break;
        case State::BlockLength:
            if (ch < '0' || ch > '9')
                return false;
            length_ += ch;
            if (length_.size() == digits_) {
                remaining_ = std::stoull(length_);
                target_ = instrument_.beginBlock(header_, remaining_);
                state_ = remaining_ ? State::Payload : State::Text;
            }
            break;
        case State::Text:
            if (ch == '\n' || ch == ';') {
                if (!finishCommand())
                    return false;
            } else if (ch == '#') {
                const std::string& text = command_;
                const auto start = text.find_first_not_of(" \t");
                const auto blank = text.find_first_of(" \t", start);
                if (start != std::string::npos && blank != std::string::npos &&
                    text.find_first_not_of(" \t", blank) == std::string::npos &&
                    SimInstrument::TakesBlock(text.substr(start, blank - start))) {
                    header_ = text.substr(start, blank - start);
                    command_.clear();
                    state_ = State::BlockCount;
                } else {
                    command_ += ch;
                }
            } else if ((static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\r') ||
                       static_cast<unsigned char>(ch) >= 0x7f) {
                return false; // binary outside a block: not a SCPI client
            } else {
                command_ += ch;
                if (command_.size() > kMostCommandBytes)
                    return false;
            }
            break;
        }
    }
    return true;
}

std::span<const char> ScpiStream::nextAnswer() {
    while (!out_.empty()) {
        Out& o = out_.front();
        if (o.at < o.text.size())
            return {o.text.data() + o.at, o.text.size() - o.at};
        const std::size_t at = o.at - o.text.size();
        if (o.block && at < o.block->size())
            return {o.block->data() + at, o.block->size() - at};
        out_.pop_front();
    }
    return {};
}

void ScpiStream::answerTaken(std::size_t n) {
    if (!out_.empty())
        out_.front().at += n;
    nextAnswer(); // drops what is fully taken, so answering() turns false at once
}

} // namespace tw::sim
