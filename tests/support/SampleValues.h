#pragma once
#include "document/Samples.h"

#include <cstdint>
#include <numeric>
#include <variant>
#include <vector>

namespace tw::test {

// The points widened, to compare with expected values.
inline std::vector<std::int32_t> Values(const Samples& samples) {
    return std::visit(
        [](auto points) { return std::vector<std::int32_t>(points.begin(), points.end()); },
        samples.view());
}

// Writes values from first on through the samples' entry.
inline void Put(Samples& samples, std::size_t first, const std::vector<std::int32_t>& values) {
    samples.Write(first, first + values.size() - 1, [&](SampleSpan points) {
        std::visit(
            [&](auto all) {
                using Sample = typename decltype(all)::value_type;
                for (std::size_t i = 0; i < values.size() && first + i < all.size(); ++i)
                    all[first + i] = ToStored<Sample>(values[i]);
            },
            points);
    });
}

inline void Put(Samples& samples, std::size_t at, std::int32_t value) {
    Put(samples, at, std::vector<std::int32_t>{value});
}

// Every point value, or first, first + 1, ...
inline void Fill(Samples& samples, std::int32_t value) {
    Put(samples, 0, std::vector<std::int32_t>(samples.size(), value));
}

inline void Iota(Samples& samples, std::int32_t first) {
    std::vector<std::int32_t> values(samples.size());
    std::iota(values.begin(), values.end(), first);
    Put(samples, 0, values);
}

} // namespace tw::test
