#include "view/WeditVw.h"

#include "app/LaunchState.h"
#include "host/WindowTitle.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseTrainView.h"

#include <QPainter>
#include <QProgressBar>

#include <algorithm>

namespace tw {

namespace {

constexpr int kProgressBarId = 11001;

// Fits the train's time and level range into the widget until the waveform plot supplies
// its scales.
struct FitMapping : PlotMapping {
    double t0 = 0, t1 = 1, v0 = -1, v1 = 1;
    QRect area;
    QPoint toPixel(double time, double level) const override {
        double x = area.left() + (time - t0) / (t1 - t0) * area.width();
        double y = area.bottom() - (level - v0) / (v1 - v0) * area.height();
        return QPoint(int(x), int(y));
    }
};

FitMapping FitTrace(const TrainTrace& trace, QRect area) {
    FitMapping m;
    m.area = area;
    bool any = false;
    for (const TraceLine& line : trace.lines)
        for (const TracePoint& p : line.points) {
            if (!any) {
                m.t0 = m.t1 = p.time;
                m.v0 = m.v1 = p.level;
                any = true;
            }
            m.t0 = std::min(m.t0, p.time);
            m.t1 = std::max(m.t1, p.time);
            m.v0 = std::min(m.v0, p.level);
            m.v1 = std::max(m.v1, p.level);
        }
    if (m.t1 <= m.t0)
        m.t1 = m.t0 + 1;
    double pad = (m.v1 - m.v0) * 0.1;
    if (pad <= 0)
        pad = 1;
    m.v0 -= pad;
    m.v1 += pad;
    return m;
}

} // namespace

WeditVw::WeditVw(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
}

void WeditVw::paintEvent(QPaintEvent*) {
    const std::string title = BuildWindowTitle("Untitled");
    if (QWidget* top = window(); top != this)
        top->setWindowTitle(QString::fromStdString(title));
    PublishTitle(title);
    drawPulseTrain();
}

void WeditVw::drawPulseTrain() {
    QPainter painter(this);
    painter.fillRect(rect(), pulse_ ? QColor(0, 0, 0) : QColor(255, 255, 255));
    if (!pulse_)
        return;
    TrainTrace trace = pulse_->Trace();
    QRect area = rect().adjusted(20, 20, -20, -20);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(area);
    DrawPulseTrain(painter, FitTrace(trace, area), trace, false);
}

int WeditVw::progressNotice(long position, long show) {
    int result = ApplyProgressNotice(progress_, position, show);
    if (!progress_.visible) {
        delete bar_;
        bar_ = nullptr;
        return result;
    }
    if (!bar_) {
        bar_ = new QProgressBar(this);
        bar_->setObjectName(QString::number(kProgressBarId));
        bar_->setTextVisible(false);
        bar_->setRange(0, 100);
        placeProgressBar();
        bar_->show();
    }
    bar_->setValue(progress_.position);
    return result;
}

void WeditVw::resizeEvent(QResizeEvent*) {
    placeProgressBar();
}

void WeditVw::placeProgressBar() {
    // 10 pixels high across the full width, ending 1 pixel above the bottom edge.
    if (bar_)
        bar_->setGeometry(0, height() - 11, width(), 10);
}

} // namespace tw
