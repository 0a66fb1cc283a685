#pragma once

namespace tw {

// What the main frame does with a host event (code, data parameter).
struct HostEventAction {
    enum Kind { Ignore, Close, Move, Reread } kind = Ignore;
    int x = 0, y = 0; // Move: the window's new top-left corner
};

// The event codes that close and that move one composer's main window; code 4 (re-read) is
// every composer's.
struct HostEventCodes {
    long close = 0;
    long move = 0;
};

HostEventAction DecideHostEvent(HostEventCodes codes, long code, long data);

// The progress bar shown along the bottom of the view for ProgressNotice.
struct ProgressState {
    bool visible = false;
    int position = 0;
    int created = 0; // how many times a bar was created, so tests can tell "moved" from "new"
};
// Applies one ProgressNotice (position, show flag); returns the handler's result, 11.
int ApplyProgressNotice(ProgressState& state, long position, long show);

} // namespace tw
