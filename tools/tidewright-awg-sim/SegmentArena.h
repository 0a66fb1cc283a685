#pragma once
#include <cstddef>
#include <map>

namespace tw::sim {

// Waveform memory held from the start, as an instrument holds its own: one mapping written
// through once, so that segments carved from it take their points without page faults (half a
// gigabyte of fresh pages costs seconds of kernel time on some machines). Segments that do not
// fit are mapped on their own.
class SegmentArena {
  public:
    static SegmentArena& instance();

    // Maps and writes `bytes`; false when the system refuses them.
    bool reserve(std::size_t bytes);
    // A free range of at least `bytes`, or nullptr.
    void* take(std::size_t bytes);
    // Returns a range from take(); false when p is not from the arena.
    bool give(void* p, std::size_t bytes);

  private:
    static std::size_t Rounded(std::size_t bytes);

    char* base_ = nullptr;
    std::size_t size_ = 0;
    std::map<std::size_t, std::size_t> free_; // offset to length, neighbours merged
};

} // namespace tw::sim
