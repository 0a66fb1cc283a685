#pragma once
#include <cstdint>

namespace tw {

// How a long operation (a generator, a formula, an import ...) reports how far it has come and
// learns that the user cancelled it. The operation calls advance now and then on the thread that
// started it; on false it stops and leaves what it worked on exactly as it was before it began.
struct Progress {
    virtual bool advance(std::uint64_t done, std::uint64_t total) = 0;
    virtual ~Progress() = default;
};

// Tells nobody and never cancels: for callers without a user to show it to.
Progress& NoProgress();

} // namespace tw
