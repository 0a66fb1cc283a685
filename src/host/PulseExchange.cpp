#include "host/PulseExchange.h"

#include "app/ProfileFile.h"
#include "app/StoredNumber.h"

namespace tw {

ForcedClock ReadForcedClock(const std::string& exchange) {
    profile::Snapshot snap(exchange);
    const std::optional<std::string> on = snap.get(kForcedClockSection, "frcSclk_toVal");
    return {on && LeadingValue(*on).value_or(0) == 1, snap.get(kForcedClockSection, "forceSclk")};
}

void StoreForcedClock(profile::Transaction& edit, const ForcedClock& forced) {
    edit.write(kForcedClockSection, "frcSclk_toVal", forced.on ? "1" : "0");
    edit.write(kForcedClockSection, "forceSclk", forced.clock.value_or(""));
}

} // namespace tw
