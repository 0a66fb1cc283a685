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

// Generous, and shown again when openbox missed the first map: it sometimes leaves a window
// unframed for good, even on a quiet machine.
bool WaitFramed(QWidget& window) {
    bool framed = false;
    for (int round = 0; round < 3 && !framed; ++round) {
        if (round > 0) {
            window.hide();
            window.show();
        }
        framed = QTest::qWaitForWindowExposed(&window, 10000) &&
                 QTest::qWaitFor([&window] { return Framed(window); }, 8000);
    }
    if (!framed)
        return false;
    // The placement after show checks the frame again within its settling time.
    QTest::qWait(1600);
    return true;
}

} // namespace tw::test
