#pragma once
#include <QMargins>
#include <QRect>

class QWidget;

namespace tw {

// The decorations the window manager has put around `window` itself; none before it framed it.
QMargins OwnFrameMargins(const QWidget& window);

// The decorations the window manager puts around `window`: its own once it is framed, before
// that those of another framed window of the program (the same window manager frames them
// alike), else none.
QMargins WindowFrameMargins(const QWidget& window);
// The window with those decorations, in the screen's coordinates. Use it for frameGeometry(),
// which misses a frame Qt learnt of too early.
QRect WindowFrame(const QWidget& window);

// Moves, and shrinks where needed, a normal (not maximized) top-level window so that it lies
// with its frame inside its screen's available area. True when it had to be moved.
bool FitOnScreen(QWidget& window);

// How long after its show a window is fitted again while the window manager frames it.
inline constexpr int kWindowFitMs = 5000; // a loaded machine frames slowly

// From now on every top-level window of the program is fitted on its screen when it is shown
// and while the window manager frames it, at any scale. Once per run; later calls do nothing.
void KeepWindowsOnScreen();

} // namespace tw
