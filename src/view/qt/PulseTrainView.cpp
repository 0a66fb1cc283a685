#include "view/qt/PulseTrainView.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

namespace tw {

namespace {

QPen penFor(TracePen pen, bool printing) {
    switch (pen) {
    case TracePen::Emphasised:
        return QPen(QColor(10, 185, 242), printing ? 12 : 2, Qt::SolidLine);
    case TracePen::Repeat:
        return QPen(QColor(179, 197, 107), printing ? 4 : 1, Qt::SolidLine);
    default:
        return QPen(QColor(255, 255, 252), printing ? 4 : 1, Qt::SolidLine);
    }
}

QPoint toPixel(const PlotMapping& mapping, const TracePoint& p) {
    return QPoint(mapping.XToPixel(p.time), mapping.YToPixel(p.level));
}

} // namespace

void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    bool printing) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const TraceLine& line : trace.lines) {
        QPolygon polygon;
        polygon.reserve(static_cast<int>(line.points.size()));
        for (const TracePoint& p : line.points)
            polygon << toPixel(mapping, p);
        painter.setPen(penFor(line.pen, printing));
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

} // namespace tw
