#pragma once
// The content the rewriting child gives section "Gen" in generation n: every key carries n, so
// that a file mixing two generations shows.
#include <string>
#include <vector>

namespace tw::test {

inline constexpr int kGenerationKeys = 400;

inline std::vector<std::string> GenerationLines(long n) {
    std::vector<std::string> lines{"n=" + std::to_string(n)};
    for (int k = 0; k < kGenerationKeys; ++k)
        lines.push_back("key" + std::to_string(k) + "=" + std::to_string(n) +
                        " padding so that one rewrite spans several disk blocks");
    return lines;
}

} // namespace tw::test
