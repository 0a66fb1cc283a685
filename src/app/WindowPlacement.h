#pragma once

namespace tw {

// A window's rectangle on the desktop, in pixels.
struct WindowRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const WindowRect&) const = default;
};

// Where a tool window of the given size opens beside its main window: to the right when it
// fits on the screen, else to the left, else over the main window's work area below `barsBottom`
// (the lower edge of its menu and bars), never over them. Always held on the screen.
WindowRect PlaceBeside(const WindowRect& main, int barsBottom, const WindowRect& screen, int width,
                       int height);

// A remembered rectangle moved, and shrunk where it is larger, so it lies wholly on the screen.
WindowRect HoldOnScreen(WindowRect r, const WindowRect& screen);

// The window manager's decorations around a window's client area, in pixels.
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The client rectangle moved, and shrunk where needed, so that the whole window with its frame
// lies on the screen.
WindowRect HoldFrameOnScreen(const WindowRect& client, const FrameMargins& frame,
                             const WindowRect& screen);

} // namespace tw
