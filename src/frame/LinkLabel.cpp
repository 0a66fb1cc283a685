#include "frame/LinkLabel.h"

#include "app/Prompter.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace tw {

LinkLabel::LinkLabel(const QString& text, Mode mode, QWidget* parent)
    : QLabel(text, parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    setPalette(p);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setToolTip(target().toDisplayString());
}

QUrl LinkLabel::target() const {
    if (mode_ == Mode::Mail)
        return QUrl("mailto:" + text());
    return QUrl::fromUserInput(text());
}

void LinkLabel::follow() {
    // Start-up names the application after its session.
    if (!QDesktopServices::openUrl(target()))
        ask(QGuiApplication::applicationDisplayName().toStdString(),
            "Cannot open " + target().toDisplayString().toStdString() +
                "\nNo program on this system opens it; open it by hand.",
            Buttons::Ok, Icon::Exclamation);
    emit clicked();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        follow();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter)
        follow();
    else
        QLabel::keyPressEvent(event);
}

} // namespace tw
