#include "SegmentArena.h"

#include <cstring>
#include <iterator>

#include <sys/mman.h>

namespace tw::sim {

SegmentArena& SegmentArena::instance() {
    static SegmentArena arena;
    return arena;
}

std::size_t SegmentArena::Rounded(std::size_t bytes) {
    constexpr std::size_t kPage = 4096;
    return (bytes + kPage - 1) / kPage * kPage;
}

bool SegmentArena::reserve(std::size_t bytes) {
    bytes = Rounded(bytes);
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return false;
    ::madvise(p, bytes, MADV_HUGEPAGE);
    std::memset(p, 0, bytes);
    base_ = static_cast<char*>(p);
    size_ = bytes;
    free_ = {{0, bytes}};
    return true;
}

void* SegmentArena::take(std::size_t bytes) {
    bytes = Rounded(bytes);
    for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->second < bytes)
            continue;
        const auto [at, length] = *it;
        free_.erase(it);
        if (length > bytes)
            free_.emplace(at + bytes, length - bytes);
        return base_ + at;
    }
    return nullptr;
}

bool SegmentArena::give(void* p, std::size_t bytes) {
    char* c = static_cast<char*>(p);
    if (!base_ || c < base_ || c >= base_ + size_)
        return false;
    std::size_t at = static_cast<std::size_t>(c - base_), length = Rounded(bytes);
    if (auto next = free_.find(at + length); next != free_.end()) {
        length += next->second;
        free_.erase(next);
    }
    auto it = free_.emplace(at, length).first;
    if (it != free_.begin()) {
        auto before = std::prev(it);
        if (before->first + before->second == at) {
            before->second += length;
            free_.erase(it);
        }
    }
    return true;
}

} // namespace tw::sim
