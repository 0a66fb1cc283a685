#include "app/qt/ScreenFit.h"

#include "app/WindowPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <optional>
#include <string_view>
#include <xcb/xcb.h>

namespace tw {

namespace {

// Qt keeps the frame margins it read before the window manager framed a window until the next
// ConfigureNotify, and openbox may frame a window without sending one: the window then seems
// unframed for good. On X11 the window manager's own record is read instead.
std::optional<QMargins> FrameExtents(const QWidget& w) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt; // offscreen answers the X11 interface without a connection
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const QWindow* handle = w.windowHandle();
    if (!x11 || !x11->connection() || !handle || !w.testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    xcb_connection_t* c = x11->connection();
    static const xcb_atom_t extents = [c] {
        constexpr std::string_view name = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr);
        const xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
        return atom;
    }();
    if (extents == XCB_ATOM_NONE)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(handle->winId());
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<QMargins> found;
    if (r && r->format == 32 && xcb_get_property_value_length(r) == 16) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
        const double ratio = w.devicePixelRatioF(); // the server counts device pixels
        auto logical = [ratio](uint32_t px) { return qRound(px / ratio); };
        found = QMargins(logical(v[0]), logical(v[2]), logical(v[1]), logical(v[3]));
    }
    std::free(r);
    return found;
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
            w->setProperty(kSettlingUntil, QDeadlineTimer(kWindowFitMs).deadline());
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
};

} // namespace

QMargins OwnFrameMargins(const QWidget& w) {
    if (const std::optional<QMargins> extents = FrameExtents(w))
        return *extents;
    const QRect outer = w.frameGeometry(), inner = w.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QRect WindowFrame(const QWidget& window) {
    return window.geometry() + WindowFrameMargins(window);
}

QMargins WindowFrameMargins(const QWidget& window) {
    const QMargins own = OwnFrameMargins(window);
    if (!own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->isVisible() && Fits(*other))
            if (const QMargins theirs = OwnFrameMargins(*other); !theirs.isNull())
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
