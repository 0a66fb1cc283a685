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

WindowRect HoldFrameOnScreen(const WindowRect& client, const FrameMargins& f,
                             const WindowRect& screen) {
    const int across = f.left + f.right, down = f.top + f.bottom;
    const WindowRect outer = HoldOnScreen(
        {client.left - f.left, client.top - f.top, client.width + across, client.height + down},
        screen);
    return {outer.left + f.left, outer.top + f.top, std::max(outer.width - across, 1),
            std::max(outer.height - down, 1)};
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
