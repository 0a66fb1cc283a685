#pragma once
#include <optional>
#include <string>

namespace tw {

namespace profile {
class Transaction;
}

// The forced-clock keys stay in the first channel's train root whatever the active channel.
inline constexpr const char* kForcedClockSection = "PulseRoot-ch1";

// The pulse composer's forced sample clock in the exchange file: "frcSclk_toVal" (on when its
// first number is 1) and "forceSclk" (the clock as typed).
struct ForcedClock {
    bool on = false;
    std::optional<std::string> clock; // absent when never stored
};
ForcedClock ReadForcedClock(const std::string& exchange);
// Into the caller's rewrite of the exchange file, beside the train's own keys.
void StoreForcedClock(profile::Transaction& edit, const ForcedClock& forced);

} // namespace tw
