#pragma once
#include "SegmentArena.h"

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace tw::sim {

// The allocator of segment memory. Large segments come from the arena when it holds room, else
// are mapped on their own and asked for huge pages, so that filling half a gigabyte takes
// hundreds of page faults rather than a hundred thousand; memory is not cleared when a segment is
// defined (an instrument's is not either).
template <class T> struct SegmentMemory {
    using value_type = T;
    static constexpr std::size_t kMapped = std::size_t{2} << 20;

    SegmentMemory() = default;
    template <class U> SegmentMemory(const SegmentMemory<U>&) noexcept {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kMapped)
            return std::allocator<T>().allocate(n);
        if (void* held = SegmentArena::instance().take(bytes))
            return static_cast<T*>(held);
        void* p =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        ::madvise(p, bytes, MADV_HUGEPAGE);
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n * sizeof(T) < kMapped)
            std::allocator<T>().deallocate(p, n);
        else if (!SegmentArena::instance().give(p, n * sizeof(T)))
            ::munmap(p, n * sizeof(T));
    }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... a) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
    template <class U> bool operator==(const SegmentMemory<U>&) const noexcept { return true; }
};

} // namespace tw::sim
