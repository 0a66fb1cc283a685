#include "view/BarVisibility.h"

#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"

#include <cstdlib>

namespace tw {

namespace {

constexpr const char* kSection = "ViewsTD";

bool Read(const char* key) {
    std::string value;
    bool present = ProfileRecord(kSection, key, value, 80, launch().generalIni, true);
    return BarFlagVisible(present ? &value : nullptr);
}

} // namespace

bool BarFlagVisible(const std::string* stored) {
    if (!stored || stored->empty())
        return true;
    return std::atof(stored->c_str()) != 0;
}

BarFlags LoadBarFlags() {
    return {Read("visFile"), Read("visTool"), Read("visParm"), Read("visCtl"), Read("visMarker")};
}

void StoreBarFlags(const BarFlags& flags, int composerId) {
    profile::Transaction t(launch().generalIni);
    auto put = [&](const char* key, bool on) { t.write(kSection, key, on ? "1" : "0"); };
    put("visFile", flags.file);
    put("visTool", flags.waveEdit);
    if (composerId != kPulseComposer)
        put("visParm", flags.parameter);
    put("visCtl", flags.instrument);
    put("visMarker", flags.marker);
    t.commit();
}

int InstrumentButtonCount(int composerId, double channels) {
    if (composerId == kFmComposer)
        return 1;
    if (channels < 2)
        return 2;
    if (channels < 3)
        return 4;
    return 6;
}

} // namespace tw
