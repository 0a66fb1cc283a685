#include "app/Progress.h"

namespace tw {

namespace {

struct Silent : Progress {
    bool advance(std::uint64_t, std::uint64_t) override { return true; }
};

} // namespace

Progress& NoProgress() {
    static Silent silent;
    return silent;
}

} // namespace tw
