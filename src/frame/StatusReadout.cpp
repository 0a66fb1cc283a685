#include "frame/StatusReadout.h"

#include "frame/MainFrame.h"
#include "view/qt/PlotView.h"

#include <QLabel>
#include <QStatusBar>

namespace tw {

void InstallReadout(MainFrame& frame) {
    auto* label = new QLabel(&frame);
    label->setObjectName("Readout");
    frame.statusBar()->addPermanentWidget(label);
    PlotView* view = frame.plotView();
    view->pointerMoved = [view, label](std::optional<QPoint> pos) {
        label->setText(pos ? QString::fromStdString(view->readout(*pos)) : QString());
    };
}

} // namespace tw
