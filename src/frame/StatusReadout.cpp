#include "frame/StatusReadout.h"

#include "frame/MainFrame.h"
#include "view/qt/ViewReadout.h"
#include "view/qt/WeditVw.h"

#include <QLabel>
#include <QStatusBar>

namespace tw {

void InstallReadout(MainFrame& frame) {
    auto* label = new QLabel(&frame);
    label->setObjectName("Readout");
    frame.statusBar()->addPermanentWidget(label);
    WeditVw* view = frame.view();
    view->pointerMoved = [view, label](std::optional<QPoint> pos) {
        label->setText(pos ? QString::fromStdString(ViewReadout(*view, *pos)) : QString());
    };
}

} // namespace tw
