#include "pulse/PulseTrainView.h"

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

} // namespace

void DrawPulseTrain(QPainter& painter, const PlotMapping& mapping, const TrainTrace& trace,
                    bool printing) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (const TraceLine& line : trace.lines) {
        QPolygon polygon;
        polygon.reserve(static_cast<int>(line.points.size()));
        for (const TracePoint& p : line.points)
            polygon << mapping.toPixel(p.time, p.level);
        painter.setPen(penFor(line.pen, printing));
        painter.drawPolyline(polygon);
    }
    if (trace.marker) {
        painter.setPen(QPen(Qt::red, 3, Qt::SolidLine));
        QPoint from = mapping.toPixel(trace.marker->from.time, trace.marker->from.level);
        if (trace.marker->ring)
            painter.drawEllipse(from, 3, 3);
        else
            painter.drawLine(from, mapping.toPixel(trace.marker->to.time, trace.marker->to.level));
    }
    painter.restore();
}

} // namespace tw
