#pragma once
#include <QKeySequence>
#include <QList>

namespace tw {

// A command's keyboard shortcuts: the platform's standard keys for the usual commands (New,
// Open, Save, Print, Undo, Zoom, Quit, Help), fixed ones for Download, the channels and the
// Pulse Editor. Empty for the others.
QList<QKeySequence> CommandShortcuts(int id);

} // namespace tw
