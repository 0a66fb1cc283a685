#pragma once
#include <QWidget>

namespace tw::test {

// True when the tests run on their own Xvfb screen under openbox (support/wm/WmTestMain.cpp).
bool WindowManaged();
// Shows a probe window until openbox frames it; false when none did within the time.
bool WaitForWindowManager(int milliseconds);
// Waits until the window manager has framed `window` and the program's placement after show
// has settled.
bool WaitFramed(QWidget& window);

} // namespace tw::test

// Skips the test where no window manager could be started.
#define TW_REQUIRE_WINDOW_MANAGER()                                                                \
    do {                                                                                           \
        if (!::tw::test::WindowManaged())                                                          \
            GTEST_SKIP() << "needs Xvfb and openbox (apt-get install xvfb openbox)";               \
    } while (false)
