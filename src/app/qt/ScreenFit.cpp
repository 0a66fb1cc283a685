#include "app/qt/ScreenFit.h"

#include "app/WindowPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace tw {

namespace {

QMargins OwnMargins(const QWidget& w) {
    const QRect outer = w.frameGeometry(), inner = w.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

bool Fits(const QWidget& w) {
    return w.isWindow() && (w.windowType() == Qt::Window || w.windowType() == Qt::Dialog) &&
           !(w.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

// Fits windows when they are shown and again while the window manager frames and places them:
// it moves them in the first moments, and only then are their decorations known.
class ScreenFitter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || !Fits(*w))
            return false;
        QPointer<QWidget> later(w);
        auto fit = [later] {
            if (later && later->isVisible() && Fits(*later))
                FitOnScreen(*later);
        };
        // Each window carries the end of its settling time. The frame may arrive without any
        // move of the client, so a few looks follow the show as well.
        if (type == QEvent::Show) {
            w->setProperty(kSettlingUntil, QDeadlineTimer(kSettlingMs).deadline());
            for (int ms : {250, 1000, 2500})
                QTimer::singleShot(ms, this, fit);
        }
        const QVariant until = w->property(kSettlingUntil);
        if (!until.isValid() || QDeadlineTimer::current().deadline() > until.toLongLong())
            return false;
        QTimer::singleShot(0, this, fit);
        return false;
    }

  private:
    static constexpr const char* kSettlingUntil = "twSettlingUntil";
    static constexpr int kSettlingMs = 5000; // a loaded machine frames slowly
};

} // namespace

QMargins WindowFrameMargins(const QWidget& window) {
    const QMargins own = OwnMargins(window);
    if (!own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->isVisible() && Fits(*other))
            if (const QMargins theirs = OwnMargins(*other); !theirs.isNull())
                return theirs;
    return {};
}

bool FitOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen || !Fits(window))
        return false;
    const QRect area = screen->availableGeometry();
    const QRect client = window.geometry();
    const QMargins m = WindowFrameMargins(window);
    const WindowRect held =
        HoldFrameOnScreen({client.left(), client.top(), client.width(), client.height()},
                          {m.left(), m.top(), m.right(), m.bottom()},
                          {area.left(), area.top(), area.width(), area.height()});
    const QRect target(held.left, held.top, held.width, held.height);
    if (target == client)
        return false;
    window.setGeometry(target);
    return true;
}

void KeepWindowsOnScreen() {
    static QPointer<ScreenFitter> fitter;
    if (fitter || !qApp)
        return;
    fitter = new ScreenFitter(qApp);
    qApp->installEventFilter(fitter);
}

} // namespace tw
