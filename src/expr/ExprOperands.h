#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// A waveform file named in a formula: its size in bytes and its 16-bit samples.
struct WaveOperand {
    std::string path;
    std::int64_t bytes = 0;
    std::vector<std::int32_t> samples; // each a signed 16-bit value
};

// What a postfix program reads besides the point: the wave table and the editor's alias arrays.
// A read past the end of either gives 0; the editor shortens the range before it comes to that.
struct ExprOperands {
    const std::vector<WaveOperand>* waves = nullptr;
    const std::vector<std::vector<double>>* aliases = nullptr;

    double wave(std::size_t k, long point) const {
        if (!waves || k >= waves->size() || point < 0)
            return 0;
        const auto& s = (*waves)[k].samples;
        return static_cast<std::size_t>(point) < s.size() ? static_cast<double>(s[point]) : 0;
    }
    double alias(std::size_t n, long point) const {
        if (!aliases || n >= aliases->size() || point < 0)
            return 0;
        const auto& v = (*aliases)[n];
        return static_cast<std::size_t>(point) < v.size() ? v[point] : 0;
    }
};

// One evaluation: the value, and 0, a message id or expr::kStackFailure.
struct EvalResult {
    double value = 0;
    int error = 0;
};

} // namespace tw
