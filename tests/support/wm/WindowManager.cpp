#include "support/wm/WindowManager.h"

#include <QDeadlineTimer>
#include <QTest>

namespace tw::test {

namespace {

bool Framed(const QWidget& w) {
    return w.frameGeometry().top() < w.geometry().top();
}

} // namespace

// A window shown before openbox runs keeps its unframed geometry in Qt: a fresh probe each
// round until one is framed.
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

// Generous: on a loaded machine openbox frames a window seconds late.
bool WaitFramed(QWidget& window) {
    if (!QTest::qWaitForWindowExposed(&window, 20000) ||
        !QTest::qWaitFor([&window] { return Framed(window); }, 20000))
        return false;
    // The placement after show checks the frame again within its settling time.
    QTest::qWait(1600);
    return true;
}

} // namespace tw::test
