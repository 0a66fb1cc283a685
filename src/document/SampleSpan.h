#pragma once
#include <cstdint>
#include <span>
#include <variant>

namespace tw {

// How the points are stored: the standard composer's 16-bit DAC codes or the FM composer's
// 32-bit values.
enum class SampleWidth { Int16, Int32 };

// The points in their stored width. Algorithms take these and visit them once, so that a loop
// runs over the stored type and no widened copy of the wave is made. A std::vector or std::span
// of either type converts to them.
using SampleSpan = std::variant<std::span<std::int16_t>, std::span<std::int32_t>>;
using SampleView = std::variant<std::span<const std::int16_t>, std::span<const std::int32_t>>;

// A computed 32-bit point in the stored type: 16-bit storage keeps its low 16 bits, exactly
// what the native file writer keeps, so a wave written out is the same whichever way it went.
template <class Sample> constexpr Sample ToStored(std::int32_t value) {
    return static_cast<Sample>(value);
}

} // namespace tw
