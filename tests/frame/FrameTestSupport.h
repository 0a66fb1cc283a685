#pragma once
// What the frame tests share: each composer's resources, the frame shown as the program opens
// it, and a modal dialog played while the command that opened it runs.
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "frame/MainFrame.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>
#include <type_traits>

namespace tw::test {

inline int ResourcesOf(int composer) {
    return composer == kFmComposer      ? kFmResources
           : composer == kPulseComposer ? kPulseResources
                                        : kStandardResources;
}

inline bool ShowFrame(MainFrame& frame, int width = 1024, int height = 700) {
    frame.resize(width, height);
    frame.show();
    return QTest::qWaitForWindowExposed(&frame);
}

// Runs `open` and plays `inside` on the first modal dialog of type D that it shows; a dialog
// still up afterwards (a refused OK) is rejected, and none stays up for more than 10 s. True if
// the dialog was seen.
template <class D = QDialog>
bool WhileModal(const std::function<void()>& open,
                const std::type_identity_t<std::function<void(D&)>>& inside) {
    bool seen = false;
    QTimer poll, guard;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        inside(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* up = QApplication::activeModalWidget())
            up->close();
    });
    poll.start(20);
    guard.start(10000);
    open();
    return seen;
}

} // namespace tw::test
