#include "host/HostEvents.h"

#include <cstdint>

namespace tw {

HostEventAction DecideHostEvent(HostEventCodes codes, long code, long data) {
    HostEventAction a;
    if (code == 4) {
        a.kind = HostEventAction::Reread;
    } else if (code == codes.close) {
        a.kind = HostEventAction::Close;
    } else if (code == codes.move) {
        a.kind = HostEventAction::Move;
        a.x = static_cast<std::int16_t>(data & 0xFFFF);
        a.y = static_cast<std::int16_t>((data >> 16) & 0xFFFF);
    }
    return a;
}

int ApplyProgressNotice(ProgressState& state, long position, long show) {
    if (show == 1) {
        if (!state.visible)
            ++state.created;
        state.visible = true;
        state.position = static_cast<int>(position);
    } else {
        state.visible = false;
    }
    return 11;
}

} // namespace tw
