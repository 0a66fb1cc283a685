#pragma once
#include <string>

namespace tw {

// What the host knows of each composer it launches: how it is asked for on the command line,
// where it publishes its title, and the event codes it answers and sends.
struct ComposerKind {
    int id;               // 0 waveform, 1 FM, 2 pulse train
    const char* name;     // for the host's buttons and log
    const char* argument; // the command-line token; "" for the waveform composer
    const char* titleKey; // its title in "AppTits"
    long closeEvent;      // HostEvent that closes it
    long moveEvent;       // HostEvent that moves it
    long closedNotice;    // the ComposerClosed code it posts at exit
};

inline constexpr int kComposerKinds = 3;
const ComposerKind& ComposerKindOf(int id);
// The composer whose exit a ComposerClosed code announces; -1 for another code.
int ComposerOfClosedNotice(long code);
// The data of a move event: the top-left corner, low 16 bits x, high 16 bits y, both signed.
long MoveEventData(int x, int y);

// After a pulse download in single-segment mode the pulse composer posts this code.
inline constexpr long kPulseHandedOverNotice = 18;
// HostEvent code that tells a composer to re-read its channel and segment.
inline constexpr long kRereadEvent = 4;

} // namespace tw
