#include "document/PeakSummary.h"

#include <algorithm>
#include <span>
#include <variant>

namespace tw {

namespace {

// The peak of points [first, end) as mask shows them. Without the mask the points go through
// kLanes running minima and maxima of the stored type, a loop the compiler turns into vector
// instructions.
template <class Sample>
Peak Scan(std::span<const Sample> points, std::size_t first, std::size_t end,
          const MarkerBitMask& mask) {
    Peak peak;
    if (first >= end)
        return peak;
    if (mask.active) {
        for (std::size_t i = first; i < end; ++i) {
            const std::int32_t v = mask.Strip(points[i]);
            peak.min = std::min(peak.min, v);
            peak.max = std::max(peak.max, v);
        }
        return peak;
    }
    constexpr std::size_t kLanes = 32 / sizeof(Sample);
    Sample lo[kLanes], hi[kLanes];
    std::fill(lo, lo + kLanes, points[first]);
    std::fill(hi, hi + kLanes, points[first]);
    std::size_t i = first;
    for (; i + kLanes <= end; i += kLanes)
        for (std::size_t k = 0; k < kLanes; ++k) {
            const Sample v = points[i + k];
            lo[k] = v < lo[k] ? v : lo[k];
            hi[k] = v > hi[k] ? v : hi[k];
        }
    for (; i < end; ++i) {
        lo[0] = std::min(lo[0], points[i]);
        hi[0] = std::max(hi[0], points[i]);
    }
    return {*std::min_element(lo, lo + kLanes), *std::max_element(hi, hi + kLanes)};
}

std::size_t Ceil(std::size_t n, std::size_t d) {
    return (n + d - 1) / d;
}

} // namespace

void PeakSummary::Build(SampleView points, const MarkerBitMask& mask) {
    mask_ = mask;
    count_ = std::visit([](auto s) { return s.size(); }, points);
    levels_.clear();
    Shape(count_);
    built_ = true;
    if (count_ > 0)
        Pool(points, 0, levels_[0].size() - 1);
}

void PeakSummary::Clear() {
    std::vector<std::vector<Peak>>().swap(levels_);
    count_ = 0;
    built_ = false;
}

void PeakSummary::Update(SampleView points, std::size_t first, std::size_t last) {
    if (!built_ || first > last || first >= count_)
        return;
    Pool(points, first / kBlock, std::min(last, count_ - 1) / kBlock);
}

void PeakSummary::Resize(SampleView points, std::size_t kept) {
    if (!built_)
        return;
    if (kept == 0) {
        Clear();
        return;
    }
    count_ = std::visit([](auto s) { return s.size(); }, points);
    Shape(count_);
    if (count_ == 0)
        return;
    // From the block of the last kept point, which may have lost or gained points. A new level
    // comes from a level of at most kFan values, so this pools it whole.
    Pool(points, (std::min(kept, count_) - 1) / kBlock, levels_[0].size() - 1);
}

void PeakSummary::Shape(std::size_t count) {
    std::vector<std::size_t> sizes{Ceil(count, kBlock)};
    while (sizes.back() > kFan)
        sizes.push_back(Ceil(sizes.back(), kFan));
    levels_.resize(sizes.size());
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        levels_[k].resize(sizes[k]);
        if (levels_[k].capacity() > 2 * sizes[k])
            levels_[k].shrink_to_fit();
    }
}

void PeakSummary::Pool(SampleView points, std::size_t first, std::size_t last) {
    std::visit(
        [&](auto s) {
            for (std::size_t b = first; b <= last; ++b)
                levels_[0][b] = Scan(s, b * kBlock, std::min((b + 1) * kBlock, count_), mask_);
        },
        points);
    PoolUp(first, last);
}

void PeakSummary::PoolUp(std::size_t first, std::size_t last) {
    for (std::size_t k = 1; k < levels_.size(); ++k) {
        first /= kFan;
        last /= kFan;
        const std::vector<Peak>& below = levels_[k - 1];
        for (std::size_t b = first; b <= last; ++b) {
            Peak peak;
            const std::size_t end = std::min((b + 1) * kFan, below.size());
            for (std::size_t c = b * kFan; c < end; ++c)
                peak.Add(below[c]);
            levels_[k][b] = peak;
        }
    }
}

Peak PeakSummary::Range(SampleView points, std::size_t first, std::size_t last,
                        const Quantize& quantize) const {
    if (count_ == 0 || first >= count_ || first > last)
        return {};
    last = std::min(last, count_ - 1);
    Peak peak;
    auto widens = [&](const Peak& pool) {
        if (peak.empty())
            return true;
        if (!quantize)
            return pool.min < peak.min || pool.max > peak.max;
        return quantize(pool.min) < quantize(peak.min) || quantize(pool.max) > quantize(peak.max);
    };
    // The pools that stick out of the range: only those holding its first or its last point.
    struct Open {
        std::size_t pool[2];
        std::size_t n = 0;
    };
    // Pools from..to of a level (of span points each) that meet the range: those wholly inside
    // count at once, the others are kept to be opened.
    auto take = [&](std::size_t level, std::size_t span, std::size_t from, std::size_t to,
                    Open& open) {
        for (std::size_t b = std::max(from, first / span); b <= std::min(to, last / span); ++b) {
            const std::size_t lo = b * span, hi = std::min(lo + span, count_) - 1;
            if (lo >= first && hi <= last)
                peak.Add(levels_[level][b]);
            else
                open.pool[open.n++] = b;
        }
    };
    std::size_t level = levels_.size() - 1;
    std::size_t span = kBlock;
    for (std::size_t k = 0; k < level; ++k)
        span *= kFan;
    Open open;
    take(level, span, 0, levels_[level].size() - 1, open);
    return std::visit(
        [&](auto s) {
            for (;; --level, span /= kFan) {
                Open next;
                for (std::size_t i = 0; i < open.n; ++i) {
                    const std::size_t b = open.pool[i];
                    if (!widens(levels_[level][b]))
                        continue;
                    if (level == 0)
                        peak.Add(Scan(s, std::max(b * kBlock, first),
                                      std::min((b + 1) * kBlock - 1, last) + 1, mask_));
                    else
                        take(level - 1, span / kFan, b * kFan, b * kFan + kFan - 1, next);
                }
                if (level == 0 || next.n == 0)
                    return peak;
                open = next;
            }
        },
        points);
}

std::size_t PeakSummary::bytes() const {
    std::size_t n = 0;
    for (const std::vector<Peak>& level : levels_)
        n += level.capacity() * sizeof(Peak);
    return n;
}

} // namespace tw
