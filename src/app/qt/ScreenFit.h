#pragma once
#include <QMargins>

class QWidget;

namespace tw {

// The decorations the window manager puts around `window`: its own once it is framed, before
// that those of another framed window of the program (the same window manager frames them
// alike), else none.
QMargins WindowFrameMargins(const QWidget& window);

// Moves, and shrinks where needed, a normal (not maximized) top-level window so that it lies
// with its frame inside its screen's available area. True when it had to be moved.
bool FitOnScreen(QWidget& window);

// From now on every top-level window of the program is fitted on its screen when it is shown
// and while the window manager frames it, at any scale. Once per run; later calls do nothing.
void KeepWindowsOnScreen();

} // namespace tw
