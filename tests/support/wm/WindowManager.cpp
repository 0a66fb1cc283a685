#include "support/wm/WindowManager.h"

#include "app/qt/ScreenFit.h"

#include <QDeadlineTimer>
#include <QTest>

namespace tw::test {

namespace {

bool Framed(const QWidget& w) {
    return OwnFrameMargins(w).top() > 0;
}

} // namespace

// A fresh probe each round until openbox, once it runs, frames one.
bool WaitForWindowManager(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QWidget probe;
        probe.resize(100, 100);
        probe.show();
        if (QTest::qWaitForWindowExposed(&probe, 2000) &&
            QTest::qWaitFor([&probe] { return Framed(probe); }, 500))
            return true;
    }
    return false;
}

bool WaitFramed(QWidget& window) {
    if (!QTest::qWaitForWindowExposed(&window, 10000) ||
        !QTest::qWaitFor([&window] { return Framed(window); }, 10000))
        return false;
    // The placement after show checks the frame again within its settling time.
    QTest::qWait(1600);
    return true;
}

} // namespace tw::test
