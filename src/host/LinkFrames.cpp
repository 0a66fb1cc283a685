#include "host/LinkFrames.h"

#include <algorithm>

namespace tw::link {

namespace {

void PutLE(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLE(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

} // namespace

std::string EncodeData(std::uint32_t tag, std::string_view text) {
    std::string out(1, static_cast<char>(kData));
    PutLE(out, tag, 4);
    PutLE(out, text.size(), 4);
    out.append(text);
    return out;
}

std::string EncodeEvent(std::string_view name, std::int64_t first, std::int64_t second) {
    std::string out(1, static_cast<char>(kEvent));
    PutLE(out, name.size(), 2);
    out.append(name);
    PutLE(out, static_cast<std::uint64_t>(first), 8);
    PutLE(out, static_cast<std::uint64_t>(second), 8);
    return out;
}

std::string EncodeAck(std::int64_t result) {
    std::string out(1, static_cast<char>(kAck));
    PutLE(out, static_cast<std::uint64_t>(result), 8);
    return out;
}

bool FrameReader::append(std::string_view bytes) {
    if (failed_)
        return false;
    if (budget_) {
        if (bytes.size() > budget_->limit_ - budget_->used_) {
            stop();
            return false;
        }
        budget_->used_ += bytes.size();
        budget_->peak_ = std::max(budget_->peak_, budget_->used_);
    }
    buffer_.append(bytes);
    return true;
}

void FrameReader::stop() {
    failed_ = true;
    release(buffer_.size());
    std::string().swap(buffer_);
}

void FrameReader::release(std::size_t bytes) {
    if (budget_)
        budget_->used_ -= bytes;
}

std::optional<Frame> FrameReader::next() {
    if (failed_ || buffer_.empty())
        return std::nullopt;
    Frame f;
    std::size_t used = 0;
    const std::size_t have = buffer_.size();
    switch (static_cast<unsigned char>(buffer_[0])) {
    case kData: {
        if (have < 9)
            return std::nullopt;
        f.kind = kData;
        f.tag = static_cast<std::uint32_t>(GetLE(buffer_, 1, 4));
        std::uint64_t length = GetLE(buffer_, 5, 4);
        if (length > kMaxPayload) {
            stop();
            return std::nullopt;
        }
        if (have < 9 + length)
            return std::nullopt;
        f.payload = buffer_.substr(9, length);
        used = 9 + length;
        break;
    }
    case kEvent: {
        if (have < 3)
            return std::nullopt;
        std::size_t length = GetLE(buffer_, 1, 2);
        if (have < 3 + length + 16)
            return std::nullopt;
        f.kind = kEvent;
        f.payload = buffer_.substr(3, length);
        f.first = static_cast<std::int64_t>(GetLE(buffer_, 3 + length, 8));
        f.second = static_cast<std::int64_t>(GetLE(buffer_, 3 + length + 8, 8));
        used = 3 + length + 16;
        break;
    }
    case kAck:
        if (have < 9)
            return std::nullopt;
        f.kind = kAck;
        f.first = static_cast<std::int64_t>(GetLE(buffer_, 1, 8));
        used = 9;
        break;
    default:
        stop();
        return std::nullopt;
    }
    buffer_.erase(0, used);
    release(used);
    return f;
}

} // namespace tw::link
