#pragma once
#include "document/MarkerBitMask.h"
#include "document/SampleSpan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace tw {

// The least and the greatest of some points; empty (min > max) before the first.
struct Peak {
    std::int32_t min = std::numeric_limits<std::int32_t>::max();
    std::int32_t max = std::numeric_limits<std::int32_t>::min();
    bool empty() const { return min > max; }
    void Add(const Peak& p) {
        min = p.min < min ? p.min : min;
        max = p.max > max ? p.max : max;
    }
    bool operator==(const Peak&) const = default;
};

// The minimum and maximum of the points in blocks of kBlock points (level 0), and those pooled
// again kFan at a time, level by level up to at most kFan pools. The peak of any range then reads
// at most kFan pools per level and two part blocks of points, so a pixel column over a million
// points costs a few dozen reads. It takes about a thirtieth of the points' count in bytes
// (8.5 MB for 256M points).
class PeakSummary {
  public:
    static constexpr std::size_t kBlock = 256;
    static constexpr std::size_t kFan = 16;

    bool built() const { return built_; }
    const MarkerBitMask& mask() const { return mask_; }
    // Pools all points, each as mask shows it.
    void Build(SampleView points, const MarkerBitMask& mask);
    // Forgets the points (and frees the memory) until the next Build.
    void Clear();
    // Points [first, last] have new values; nothing to do while not built.
    void Update(SampleView points, std::size_t first, std::size_t last);
    // The count changed and the points before kept are as they were (0: all are new, and the
    // summary waits for the next Build).
    void Resize(SampleView points, std::size_t kept);

    // What the caller cannot tell apart: values alike when they map to one number (for a plot,
    // one row). Non-decreasing; none: every value is its own.
    using Quantize = std::function<long long(std::int32_t)>;

    // The peak of points [first, last] of the points it was built on, exact as quantize sees it.
    // It goes from the top level down and opens a pool that only part lies in the range only
    // when that pool could widen the peak found so far, so the points themselves (and the
    // larger lower levels) are read only where they can change the answer.
    Peak Range(SampleView points, std::size_t first, std::size_t last,
               const Quantize& quantize = {}) const;

    const std::vector<std::vector<Peak>>& levels() const { return levels_; }
    std::size_t bytes() const;

  private:
    std::vector<std::vector<Peak>> levels_;
    MarkerBitMask mask_;
    std::size_t count_ = 0;
    bool built_ = false;

    void Shape(std::size_t count);
    // Level 0 blocks [first, last] from the points, then every level above them.
    void Pool(SampleView points, std::size_t first, std::size_t last);
    void PoolUp(std::size_t first, std::size_t last);
};

} // namespace tw
