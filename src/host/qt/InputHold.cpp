#include "host/qt/InputHold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace tw {

InputHold::InputHold() : loopLevel_(QThread::currentThread()->loopLevel()) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputHold::~InputHold() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject*, QEvent* event) {
    // The hold's own wait runs one loop deeper; a dialog opened within it runs deeper still.
    if (QThread::currentThread()->loopLevel() > loopLevel_ + 1)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept(); // taken, so no shortcut fires either
        return true;
    case QEvent::Close:
        if (!event->spontaneous()) // the program's own close, such as the host's close event
            return false;
        event->ignore(); // the window manager's: the window stays until the wait ends
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace tw
