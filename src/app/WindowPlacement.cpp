#include "app/WindowPlacement.h"

#include <algorithm>

namespace tw {

WindowRect HoldOnScreen(WindowRect r, const WindowRect& screen) {
    r.width = std::clamp(r.width, 1, std::max(screen.width, 1));
    r.height = std::clamp(r.height, 1, std::max(screen.height, 1));
    r.left = std::clamp(r.left, screen.left, screen.right() - r.width);
    r.top = std::clamp(r.top, screen.top, screen.bottom() - r.height);
    return r;
}

WindowRect PlaceBeside(const WindowRect& main, int barsBottom, const WindowRect& screen, int width,
                       int height) {
    WindowRect r{0, main.top, width, height};
    if (main.right() + width <= screen.right()) {
        r.left = main.right();
    } else if (main.left - width >= screen.left) {
        r.left = main.left - width;
    } else {
        // No room beside it: over the work area at the main window's right edge, shortened
        // where the screen ends below.
        const int top = std::clamp(barsBottom, screen.top, screen.bottom() - 1);
        r = {std::min(main.right(), screen.right()) - width, top, width,
             std::min(height, screen.bottom() - top)};
    }
    return HoldOnScreen(r, screen);
}

} // namespace tw
