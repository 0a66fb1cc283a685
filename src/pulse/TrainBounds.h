#pragma once
#include "app/ProfileFile.h"

#include <climits>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// What a train brought in from a file may hold: at most `maxLinks` links in all and repeats of
// 1..maxLoops (the instrument's "MaxLinkNo" and "MaxLoopNo").
struct TrainBounds {
    int maxLinks = 65536;
    int maxLoops = INT_MAX;
};

// A train read from a file, ready to be written as the channel's train: "key=value" lines of
// its root and of the sections that are kept, in order.
struct BoundedTrain {
    std::vector<std::string> root;
    std::vector<std::vector<std::string>> sections;
    std::vector<std::string> refused; // one line for each value that was refused
};

// Reads the train of sections "PulseRoot<suffix>" and "Pulse<i><suffix>" and refuses what it
// cannot take: counts, units, formats and repeats out of range and numbers that are not finite
// give way to their defaults; no section claims more rows than it has cell keys; the sections
// from the one whose links pass bounds.maxLinks on are left out.
BoundedTrain BoundTrain(const profile::Snapshot& file, std::string_view suffix,
                        const TrainBounds& bounds);

} // namespace tw
