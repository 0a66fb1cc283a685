#pragma once
#include "SegmentArena.h"

#include <cstddef>
#include <new>

#include <sys/mman.h>

namespace tw::sim {

// The bytes of a segment. Large segments come from the arena when it holds room, else are mapped
// on their own and asked for huge pages, so that filling half a gigabyte takes hundreds of page
// faults rather than a hundred thousand. The memory is not cleared when a segment is defined (an
// instrument's is not either), and nothing walks it byte by byte: a container with an allocator
// would, and an unoptimised build then takes seconds to define half a gigabyte.
class SegmentMemory {
  public:
    SegmentMemory() = default;
    explicit SegmentMemory(std::size_t size) : data_(Take(size)), size_(size) {}
    ~SegmentMemory() { Give(data_, size_); }
    SegmentMemory(const SegmentMemory&) = delete;
    SegmentMemory& operator=(const SegmentMemory&) = delete;

    char* data() { return data_; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    static constexpr std::size_t kMapped = std::size_t{2} << 20;

    static char* Take(std::size_t bytes) {
        if (bytes < kMapped)
            return new char[bytes];
        if (void* held = SegmentArena::instance().take(bytes))
            return static_cast<char*>(held);
        void* p =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        ::madvise(p, bytes, MADV_HUGEPAGE);
        return static_cast<char*>(p);
    }
    static void Give(char* p, std::size_t bytes) noexcept {
        if (bytes < kMapped)
            delete[] p;
        else if (!SegmentArena::instance().give(p, bytes))
            ::munmap(p, bytes);
    }

    char* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace tw::sim
