#include "fm/qt/FmMarkerDots.h"

#include <QPainter>

namespace tw {

void DrawFmMarkerDots(QPainter& painter, std::span<const std::int32_t> markers,
                      std::span<const std::int32_t> points,
                      const std::function<double(double)>& xToPixel,
                      const std::function<double(double)>& yToPixel) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 250, 0));
    for (std::int32_t i : markers) {
        if (i < 0 || static_cast<std::size_t>(i) >= points.size())
            continue;
        int x = static_cast<int>(xToPixel(i)) - 1;
        int y = static_cast<int>(yToPixel(points[i])) - 2;
        painter.drawEllipse(QRect(QPoint(x, y), QPoint(x + 5, y + 5)));
    }
    painter.restore();
}

} // namespace tw
