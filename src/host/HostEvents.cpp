#include "host/HostEvents.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace tw {

HostEventAction DecideHostEvent(int composerId, long code, long data) {
    HostEventAction a;
    auto move = [&] {
        a.kind = HostEventAction::Move;
        a.x = static_cast<std::int16_t>(data & 0xFFFF);
        a.y = static_cast<std::int16_t>((data >> 16) & 0xFFFF);
    };
    switch (code) {
    case 3:
        if (composerId == kStandardComposer)
            a.kind = HostEventAction::Close;
        break;
    case 4:
        a.kind = HostEventAction::Reread;
        break;
    case 6:
        if (composerId == kStandardComposer || composerId == kPulseComposer)
            move();
        break;
    case 10:
        if (composerId == kFmComposer)
            a.kind = HostEventAction::Close;
        break;
    case 13:
        if (composerId == kFmComposer)
            move();
        break;
    case 17:
        if (composerId == kPulseComposer)
            a.kind = HostEventAction::Close;
        break;
    default:
        break;
    }
    return a;
}

void RereadChannelAndSegment() {
    const LaunchState& ls = launch();
    std::string v;
    int channel = 0;
    if (ProfileRecord("Settings", "ActiveCh", v, 80, ls.exchangeFile, true))
        channel = std::atoi(v.c_str());
    SetActiveChannel(channel);
    double seg = ls.fpSegMode ? ProfileNumber("FPSeg", 0, "Settings", kAbsent)
                              : ProfileNumber("AcSeg", channel, "Settings", kAbsent);
    if (!IsAbsent(seg))
        SetActiveSegment(static_cast<int>(seg));
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
