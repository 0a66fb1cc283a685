#include "view/WeditVw.h"

#include "host/WindowTitle.h"

#include <QPainter>

namespace tw {

WeditVw::WeditVw(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void WeditVw::paintEvent(QPaintEvent*) {
    const std::string title = BuildWindowTitle("");
    PublishTitle(title);
    if (QWidget* top = window(); top != this)
        top->setWindowTitle(QString::fromStdString(title));
}

} // namespace tw
