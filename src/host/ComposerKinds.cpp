#include "host/ComposerKinds.h"

namespace tw {

namespace {

constexpr ComposerKind kKinds[kComposerKinds] = {
    {0, "Waveform composer", "", "TD", 3, 6, 5},
    {1, "FM composer", "FMC", "FMC", 10, 13, 12},
    {2, "Pulse-train composer", "PLS", "PLS", 17, 6, 16},
};

} // namespace

const ComposerKind& ComposerKindOf(int id) {
    return kKinds[id >= 0 && id < kComposerKinds ? id : 0];
}

int ComposerOfClosedNotice(long code) {
    for (const ComposerKind& kind : kKinds)
        if (kind.closedNotice == code)
            return kind.id;
    return -1;
}

long MoveEventData(int x, int y) {
    return static_cast<long>((static_cast<unsigned long>(x) & 0xFFFFu) |
                             ((static_cast<unsigned long>(y) & 0xFFFFu) << 16));
}

} // namespace tw
