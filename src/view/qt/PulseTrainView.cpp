#include "view/qt/PulseTrainView.h"

#include "pulse/PulseComposer.h"
#include "view/PlotReadout.h"
#include "view/qt/PlotRenderer.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>

namespace tw {

namespace {

QPen penFor(TracePen pen, const PlotFace& face) {
    const bool ink = face.paper && !face.screenColours;
    const double scale = face.paper ? 0.5 : 1; // points on paper
    switch (pen) {
    case TracePen::Emphasised:
        return QPen(ink ? QColor(Qt::black) : QColor(10, 185, 242), 2 * scale);
    case TracePen::Repeat:
        return QPen(ink ? QColor(120, 120, 120) : QColor(179, 197, 107), scale);
    default:
        return QPen(ink ? QColor(Qt::black) : QColor(255, 255, 252), scale);
    }
}

QPoint toPixel(const PlotMapping& mapping, const TracePoint& p) {
    return QPoint(mapping.XToPixel(p.time), mapping.YToPixel(p.level));
}

void FitTrainMapping(PlotMapping& mapping, const TrainTrace& trace, const PlotRect& plot) {
    bool any = false;
    double t0 = 0, t1 = 0, v0 = 0, v1 = 0;
    for (const TraceLine& line : trace.lines)
        for (const TracePoint& pt : line.points) {
            if (!any) {
                t0 = t1 = pt.time;
                v0 = v1 = pt.level;
                any = true;
            }
            t0 = std::min(t0, pt.time);
            t1 = std::max(t1, pt.time);
            v0 = std::min(v0, pt.level);
            v1 = std::max(v1, pt.level);
        }
    const double pad = v1 > v0 ? (v1 - v0) * 0.1 : 1;
    mapping.xmin = t0;
    mapping.xmax = any ? t1 : t0;
    mapping.ymin = v0 - pad;
    mapping.ymax = v1 + pad;
    mapping.SetMapping(plot);
}

} // namespace

ScaleTexts DrawPulsePlot(QPainter& painter, PlotMapping& mapping, const PlotRect& plot,
                         const TrainTrace& trace, const PlotUnits& units, int textRight,
                         const PlotFace& face) {
    FitTrainMapping(mapping, trace, plot);
    ScaleTexts texts = PlotRenderer(painter, mapping, plot, face).drawFrame(units, textRight, true);
    painter.save();
    painter.setClipRect(ToQRect(plot));
    DrawPulseTrain(painter, mapping, trace, face);
    painter.restore();
    return texts;
}

void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    const PlotFace& face) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const TraceLine& line : trace.lines) {
        QPolygon polygon;
        polygon.reserve(static_cast<int>(line.points.size()));
        for (const TracePoint& p : line.points)
            polygon << toPixel(mapping, p);
        painter.setPen(penFor(line.pen, face));
        painter.drawPolyline(polygon);
    }
    if (trace.marker) {
        painter.setPen(QPen(Qt::red, 3, Qt::SolidLine));
        QPoint from = toPixel(mapping, trace.marker->from);
        if (trace.marker->ring)
            painter.drawEllipse(from, 3, 3);
        else
            painter.drawLine(from, toPixel(mapping, trace.marker->to));
    }
    painter.restore();
}

PulseTrainView::PulseTrainView(const PulseComposer& composer, QWidget* parent)
    : PlotView(composer, parent), pulse_(composer) {}

int PulseTrainView::channel() const {
    return pulse_.activeChannel();
}

ScaleTexts PulseTrainView::drawPlot(QPainter& p, const PlotRect& plot, int textRight,
                                    const PlotFace& face) {
    return DrawPulsePlot(p, map_, plot, pulse_.Trace(), units(), textRight, face);
}

std::string PulseTrainView::readoutAt(QPoint pos) const {
    if (!(map_.xmin < map_.xmax))
        return {};
    const double time = map_.PixelToX(pos.x());
    return TrainReadout(time, units().horizontal, TrainLevelAt(pulse_.Trace(), time));
}

} // namespace tw
