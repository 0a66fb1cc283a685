#include "view/qt/PlotRenderer.h"

#include "fm/qt/FmMarkerDots.h"
#include "view/TraceColumns.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <vector>

namespace tw {

namespace {

const QColor kShadeColour(29, 29, 9);

} // namespace

QFont ArialFont(int pixels) {
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    return font;
}

QRect ToQRect(const PlotRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

PlotFace PlotFace::Paper(bool screenColours) {
    PlotFace face;
    face.paper = true;
    face.screenColours = screenColours;
    face.scaleText = 9;
    face.midText = 8;
    face.thin = 0.3;
    face.frame = 0.8;
    face.cross = 0.6;
    face.trace = 0.6;
    face.square = 0.5;
    if (!screenColours) {
        face.plot = Qt::white;
        face.ink = Qt::black;
        face.grid = QColor(170, 170, 170);
        face.traceColour = Qt::black;
    }
    return face;
}

PlotRenderer::PlotRenderer(QPainter& painter, const PlotMapping& mapping, const PlotRect& plot,
                           const PlotFace& face)
    : p_(painter), map_(mapping), r_(plot), face_(face) {}

ScaleTexts PlotRenderer::drawFrame(const PlotUnits& units, int textRight, bool pulseTrain) {
    QPainter& p = p_;
    const PlotRect& r = r_;
    const QPen thin(face_.grid, face_.thin);
    p.setBrush(Qt::NoBrush);
    p.setPen(
        QPen(face_.paper && !face_.screenColours ? Qt::black : QColor(192, 192, 192), face_.frame));
    p.drawRect(QRect(QPoint(r.left - 1, r.top - 1), QPoint(r.right + 2, r.bottom + 2)));
    p.setPen(thin);
    p.setBrush(face_.plot);
    p.drawRect(ToQRect(r));
    p.setBrush(Qt::NoBrush);

    const int cy = (r.top + r.bottom) / 2;
    const int cx = (r.left + r.right) / 2;
    p.setPen(QPen(face_.grid, face_.cross));
    p.drawLine(r.left, cy, r.right, cy);
    p.drawLine(cx, r.top, cx, r.bottom);

    const bool hasRange = map_.xmin < map_.xmax;
    p.setPen(thin);
    if (hasRange) {
        for (int k = 0; k <= 50; ++k) {
            const int px = map_.XToPixel(map_.xmin + k * (map_.xmax - map_.xmin) / 50);
            p.drawLine(px - 1, cy - 4, px - 1, cy + 3);
        }
        for (int k = 0; k <= 40; ++k) {
            const int py = map_.YToPixel(map_.ymin + k * (map_.ymax - map_.ymin) / 40);
            p.drawLine(cx - 4, py, cx + 3, py);
        }
    }
    ScaleTexts texts = drawScaleTexts(units, textRight, pulseTrain);

    if (!hasRange)
        return texts;
    const QPen squarePen(QColor(0, 0, 129), face_.square);
    for (int k = 0; k <= 10; ++k) {
        const int px = map_.XToPixel(map_.xmin + k * (map_.xmax - map_.xmin) / 10);
        if (k >= 1) {
            p.setPen(thin);
            p.drawLine(px, r.bottom, px, r.top);
        }
        if (k % 2 == 0) {
            p.setPen(squarePen);
            p.drawRect(px - 3, r.bottom - 3, 4, 4);
        }
    }
    for (int k = 0; k <= 8; ++k) {
        const int py = map_.YToPixel(map_.ymin + k * (map_.ymax - map_.ymin) / 8);
        if (k >= 1) {
            p.setPen(thin);
            p.drawLine(r.left, py, r.right, py);
        }
        if (k % 2 == 0) {
            p.setPen(squarePen);
            p.drawRect(r.left - 3, py - 2, 4, 4);
        }
    }
    return texts;
}

ScaleTexts PlotRenderer::drawScaleTexts(const PlotUnits& units, int textRight, bool pulseTrain) {
    QPainter& p = p_;
    const PlotRect& r = r_;
    p.setFont(ArialFont(face_.scaleText));
    p.setPen(face_.ink);
    // On paper the lines are a font's height apart; the screen keeps its tighter rows.
    const int line = face_.paper ? p.fontMetrics().height() + 3 : 14;
    const QRect box(r.left, r.bottom + 4, textRight - r.left, line + 4);
    if (map_.xmin >= map_.xmax && pulseTrain) {
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, "Pulse currently not specified");
        p.drawText(QRect(0, (r.top + r.bottom) / 2 - 9, std::max(r.left - 4, 0), 18),
                   Qt::AlignRight | Qt::AlignVCenter, "Empty");
        return {};
    }
    ScaleTexts texts = MakeScaleTexts(map_.xmin, map_.xmax, map_.ymin, map_.ymax, units);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(texts.vertical));
    p.drawText(box.translated(0, line), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(texts.horizontal));
    const int cy = (r.top + r.bottom) / 2;
    p.setFont(ArialFont(face_.midText));
    const int mid = face_.paper ? p.fontMetrics().height() + 2 : 16;
    p.drawText(QRect(0, cy - mid / 2 + 1, std::max(r.left - 4, 0), mid),
               Qt::AlignRight | Qt::AlignTop, QString::fromStdString(texts.midValue));
    return texts;
}

void PlotRenderer::drawTrace(const Samples& samples, double wavelength, const MarkerBitMask& mask,
                             bool peaks, std::optional<QColor> given) {
    if (samples.empty())
        return;
    const QColor colour = given.value_or(face_.traceColour);
    if (peaks) {
        // Each column a one-pixel rectangle from its least to its greatest point, reaching the
        // next column's sample: joined without a line, and filled, which costs far less than
        // stroking.
        const TraceColumns cols = ComputePeakColumns(map_, r_, samples, mask, map_.fmAbstract);
        std::vector<QRect> spans(cols.x.size());
        for (std::size_t j = 0; j < cols.x.size(); ++j)
            spans[j] = QRect(cols.x[j], cols.top[j], 1, cols.bottom[j] - cols.top[j] + 1);
        p_.setPen(Qt::NoPen);
        p_.setBrush(colour);
        p_.drawRects(spans.data(), static_cast<int>(spans.size()));
        p_.setBrush(Qt::NoBrush);
        p_.setPen(QPen(colour, 1));
        return;
    }
    const TraceColumns cols =
        ComputeTraceColumns(map_, r_, samples.view(), wavelength, mask, map_.fmAbstract);
    QPolygon line(static_cast<int>(cols.x.size()));
    for (std::size_t j = 0; j < cols.x.size(); ++j)
        line.setPoint(static_cast<int>(j), cols.x[j], cols.y[j]);
    p_.setPen(QPen(colour, face_.trace));
    p_.drawPolyline(line);
}

void PlotRenderer::drawFmMarkers(std::span<const std::int32_t> markers,
                                 std::span<const std::int32_t> points) {
    if (markers.empty())
        return;
    const PlotMapping& m = map_;
    const bool second = map_.fmAbstract;
    DrawFmMarkerDots(
        p_, markers, points, [&m](double x) { return double(m.XToPixel(x)); },
        [&m, second](double y) { return double(second ? m.Y2ToPixel(y) : m.YToPixel(y)); });
}

void PlotRenderer::drawMarkerStrips(const Samples& samples, double wavelength,
                                    const MarkerBitSettings& bits, long offset) {
    if (!bits.inUse || samples.empty())
        return;
    QPainter& p = p_;
    const PlotRect& r = r_;
    const MarkerBitMask mask{true, bits.bit0, bits.bit1, offset};
    const TraceColumns cols = ComputeTraceColumns(map_, r, samples.view(), wavelength, {});
    const QColor bright[2] = {QColor(255, 0, 0), QColor(255, 255, 0)};
    const QColor dark[2] = {QColor(128, 0, 0), QColor(128, 128, 0)};
    const int bit[2] = {bits.bit0, bits.bit1};
    p.setFont(ArialFont(8));
    for (int k = 0; k < 2; ++k) {
        const int base = r.bottom - 6 - 14 * (1 - k) - bits.shiftMrkInd;
        p.setPen(QPen(dark[k], 1));
        p.drawLine(r.left, base, r.right, base);
        p.setPen(QPen(bright[k], 3, Qt::SolidLine, Qt::FlatCap));
        std::size_t j = 0;
        while (j < cols.x.size()) {
            if (!mask.IsSet(samples.at(cols.index[j]), bit[k])) {
                ++j;
                continue;
            }
            const std::size_t from = j;
            while (j < cols.x.size() && mask.IsSet(samples.at(cols.index[j]), bit[k]))
                ++j;
            p.drawLine(cols.x[from], base - 3, cols.x[j - 1] + 1, base - 3);
        }
        p.setPen(bright[k]);
        p.drawText(r.left + 3, base - 6, QString("Bit%1").arg(bit[k]));
    }
}

void PlotRenderer::drawShading(long left, long right) {
    const PlotRect& r = r_;
    p_.save();
    // Paper (a PDF, a printer) knows no XOR: a see-through grey there.
    QColor shade = kShadeColour;
    if (face_.paper)
        shade = face_.screenColours ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30);
    else
        p_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (left >= map_.xmin && left <= map_.xmax) {
        const int px = map_.XToPixel(left);
        if (px > r.left)
            p_.fillRect(QRect(r.left, r.top, px - r.left, r.height() + 1), shade);
    }
    if (right >= map_.xmin && right <= map_.xmax) {
        const int px = map_.XToPixel(right);
        if (r.right > px)
            p_.fillRect(QRect(px + 1, r.top, r.right - px, r.height() + 1), shade);
    }
    p_.restore();
}

} // namespace tw
