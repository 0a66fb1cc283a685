#include "view/qt/WeditVw.h"

#include "app/LaunchState.h"
#include "document/Composer.h"
#include "document/WeDoc.h"
#include "view/MarkedAreaOps.h"
#include "view/PlotReadout.h"
#include "view/qt/PlotRenderer.h"
#include "view/qt/WaveMapWindow.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

const QColor kLabelColour(10, 52, 95);

} // namespace

WeditVw::WeditVw(const Composer& composer, WeDoc& doc, QWidget* parent)
    : PlotView(composer, parent), doc_(doc) {
    entry_ = new QLineEdit(this);
    entry_->setAlignment(Qt::AlignCenter);
    entry_->setMaxLength(20);
    entry_->setFixedSize(84, 22);
    entry_->hide();
    entry_->installEventFilter(this);
    badTimer_ = new QTimer(this);
    badTimer_->setSingleShot(true);
    connect(badTimer_, &QTimer::timeout, this, [this] { entry_->setText(badRestore_); });
    mapWindow_ = NewWaveMapWindow(*this);
}

WeditVw::~WeditVw() = default;

QWidget* WeditVw::mapWindow() const {
    return mapWindow_;
}

int WeditVw::channel() const {
    return doc_.activeChannel();
}

std::string WeditVw::titleName() const {
    return doc_.pathName().empty() ? "Untitled" : doc_.pathName();
}

std::string WeditVw::readoutAt(QPoint pos) const {
    const ReadoutValue kind = composer().valueScale().unit();
    const Samples& samples = doc_.samples();
    const auto index =
        PointUnderColumn(map_, plot_, pos.x(), std::min<double>(doc_.wavelength(), samples.size()));
    std::string marked = MarkedReadout(anchors_.L(), anchors_.R());
    if (!index)
        return marked;
    return PointReadout(*index, samples.at(static_cast<std::size_t>(*index)), kind) + "    " +
           marked;
}

MarkerBitMask WeditVw::traceMask() {
    if (!markerBitsRead_) {
        markerBits_ = ReadMarkerBitSettings(composer().session());
        markerBitsRead_ = true;
    }
    return {doc_.limits().hasTraceTypes || markerBits_.inUse, markerBits_.bit0, markerBits_.bit1,
            -static_cast<long>(doc_.vMin())};
}

void WeditVw::setShowPeaks(bool show) {
    showPeaks_ = show;
    update();
    if (mapWindow_->isVisible())
        mapWindow_->update();
}

void WeditVw::resetRange() {
    wholeRange();
    if (mapWindow_)
        mapWindow_->hide();
    update();
}

void WeditVw::wholeRange() {
    const double last = std::max(0.0, std::trunc(doc_.wavelength() - 1));
    map_.xmin = 0;
    map_.xmax = last;
    anchors_.SetRanges(map_.xmin, map_.xmax);
    anchors_.Unmark(map_.xmin, map_.xmax);
    rangeSet_ = true;
}

void WeditVw::prepareMapping(const PlotRect& plot) {
    if (!rangeSet_)
        wholeRange();
    map_.ymin = doc_.vMin();
    map_.ymax = doc_.vMax();
    map_.secondSpan = std::trunc(doc_.vMax() - doc_.vMin());
    map_.SetMapping(plot);
}

ScaleTexts WeditVw::drawPlot(QPainter& p, const PlotRect& r, int textRight, const PlotFace& face) {
    prepareMapping(r);
    PlotRenderer plot(p, map_, r, face);
    ScaleTexts texts = plot.drawFrame(units(), textRight, false);
    const Samples& samples = doc_.samples();
    plot.drawTrace(samples, doc_.wavelength(), traceMask(), showPeaks_);
    plot.drawFmMarkers(composer().fmMarkerPoints(), samples.int32());
    plot.drawMarkerStrips(samples, doc_.wavelength(), markerBits_, -static_cast<long>(doc_.vMin()));
    plot.drawShading(anchors_.L(), anchors_.R());
    return texts;
}

void WeditVw::drawOverlay(QPainter& p, const PlotRect& r) {
    drawAnchors(p, r);
    drawDrawingOverlay(p);
}

int WeditVw::anchorPixel(int side) const {
    return map_.XToPixel(side == 0 ? anchors_.L() : anchors_.R());
}

QRect WeditVw::handleRect(int side) const {
    const int hs = std::max(handleSize_, 1);
    const int top = plot_.top - 2 - hs;
    const int px = anchorPixel(side);
    return side == 0 ? QRect(px - hs, top, hs, hs) : QRect(px, top, hs, hs);
}

void WeditVw::drawAnchors(QPainter& p, const PlotRect& r) {
    p.setFont(ArialFont(12));
    p.setPen(kLabelColour);
    const int hs = std::max(handleSize_, 1);
    const QRect labels(r.left + 2, r.top - 2 - hs - 17, r.width() - 2, 15);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter,
               QString("L. Anchor = %1").arg(anchors_.L()));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter,
               QString("R. Anchor = %1").arg(anchors_.R()));
    for (int side = 0; side < 2; ++side) {
        const bool inRange = (side == 0 ? anchors_.L() : anchors_.R()) >= map_.xmin &&
                             (side == 0 ? anchors_.L() : anchors_.R()) <= map_.xmax;
        if (!inRange)
            continue;
        const QRect h = handleRect(side);
        p.fillRect(h, QColor(231, 247, 255));
        p.setPen(QPen(QColor(0, 0, 159), 1));
        const int edge = side == 0 ? h.right() : h.left();
        p.drawLine(edge, h.top(), edge, h.bottom());
        QPolygon triangle;
        triangle << QPoint(h.left() + 1, h.top() + 2) << QPoint(h.right() - 1, h.top() + 2)
                 << QPoint(h.center().x(), h.bottom());
        p.setPen(Qt::NoPen);
        p.setBrush(pressedHandle_ == side ? QColor(0, 216, 222) : QColor(181, 216, 222));
        p.drawPolygon(triangle);
        p.setBrush(Qt::NoBrush);
    }
}

void WeditVw::drawDrawingOverlay(QPainter& p) {
    p.save();
    p.setClipRect(ToQRect(plot_));
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (drag_) {
        p.setPen(QPen(QColor(200, 200, 200), 1));
        const int x = drag_->AnchorPixel();
        p.drawLine(x, plot_.top, x, plot_.bottom);
    }
    if (tools_.mode() == DrawingTools::Mode::Autoline && tools_.hasVertex()) {
        const PixelPoint v = tools_.lastVertex();
        const PixelPoint b = tools_.bandEnd();
        if (!(b == v)) {
            p.setPen(QPen(QColor(128, 220, 0), 1));
            p.drawLine(v.x, v.y, b.x, b.y);
        }
        p.setPen(QPen(QColor(128, 128, 128), 1));
        p.drawEllipse(QRect(v.x - 3, v.y - 3, 6, 6));
    }
    p.restore();
}

void WeditVw::setAnchor(int side, long value) {
    if (side == 0)
        anchors_.SetLeft(value);
    else
        anchors_.SetRight(value);
}

void WeditVw::markAnchors(long start, long end) {
    if (!anchorsBeforeMark_)
        anchorsBeforeMark_ = std::make_pair(long(anchors_.L()), long(anchors_.R()));
    // Right first when moving right, so the left anchor never passes it.
    setAnchor(1, end);
    setAnchor(0, start);
    setAnchor(1, end);
    update();
}

void WeditVw::restoreAnchors() {
    if (!anchorsBeforeMark_)
        return;
    markAnchors(anchorsBeforeMark_->first, anchorsBeforeMark_->second);
    anchorsBeforeMark_.reset();
}

void WeditVw::storeAnchors() {
    if (doc_.waveParSection().empty())
        return;
    ExchangeFile::WaveParameters(doc_.session())
        .StoreRange(doc_.waveParSection(), anchors_.L(), anchors_.R());
}

void WeditVw::showEntry(int side, bool focus) {
    entrySide_ = side;
    const QRect h = handleRect(side);
    const int y = h.top() - 3 - entry_->height() / 2;
    const int x = side == 0 ? h.right() + 4 : h.left() - 4 - entry_->width();
    entry_->move(std::clamp(x, 0, std::max(0, width() - entry_->width())), std::max(0, y));
    entry_->setText(QString::number(side == 0 ? anchors_.L() : anchors_.R()));
    entry_->show();
    entry_->raise();
    if (focus) {
        entry_->setFocus();
        entry_->selectAll();
    }
}

void WeditVw::hideEntry() {
    badTimer_->stop();
    entry_->hide();
}

bool WeditVw::enterAnchorValue(int side, const QString& text) {
    const AnchorLabel& label = side == 0 ? anchors_.left : anchors_.right;
    long value = 0;
    if (!ParseAnchorEntry(text.toStdString(), label, value)) {
        badRestore_ = text;
        entry_->setText(QString::fromStdString(RefusedEntryText(text.toStdString())));
        badTimer_->start(kRefusedEntryMs);
        return false;
    }
    setAnchor(side, value);
    hideEntry();
    update();
    return true;
}

bool WeditVw::eventFilter(QObject* watched, QEvent* event) {
    if (watched == entry_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (!badTimer_->isActive())
                    enterAnchorValue(entrySide_, entry_->text());
                return true;
            }
            if (key == Qt::Key_Escape) {
                hideEntry();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && !drag_) {
            hideEntry();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WeditVw::holdCursor(QPoint& pos) {
    const PixelPoint held = HoldInPlot({pos.x(), pos.y()}, plot_);
    if (held.x != pos.x() || held.y != pos.y()) {
        pos = QPoint(held.x, held.y);
        QCursor::setPos(mapToGlobal(pos));
    }
}

void WeditVw::repaintStrip(const SegmentWrite& write) {
    update(QRect(QPoint(write.stripLeft, plot_.top), QPoint(write.stripRight, plot_.bottom)));
    update(); // labels, shading and the map follow the new samples too
    if (mapWindow_->isVisible())
        mapWindow_->update();
}

void WeditVw::mousePressEvent(QMouseEvent* e) {
    QPoint pos = e->position().toPoint();
    if (tools_.active()) {
        if (e->button() == Qt::RightButton) {
            endTool();
            return;
        }
        if (e->button() != Qt::LeftButton || !plot_.contains(pos.x(), pos.y()))
            return;
        const SegmentWrite w = tools_.LeftDown({pos.x(), pos.y()}, map_, plot_, doc_.samples());
        if (w.changed)
            repaintStrip(w);
        else
            update();
        return;
    }
    int side = -1;
    for (int s = 0; s < 2; ++s)
        if (handleRect(s).adjusted(-1, -1, 1, 1).contains(pos))
            side = s;
    if (e->button() == Qt::RightButton) {
        if (side >= 0)
            showEntry(side, true);
        else if (barMenuRequested)
            barMenuRequested(e->globalPosition().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton || side < 0)
        return;
    pressedHandle_ = side;
    drag_ =
        AnchorDrag::Start(side, anchorPixel(side), pos.x(), pos.y(), map_, anchorPixel(1 - side));
    grabMouse();
    showEntry(side, false);
    update();
}

void WeditVw::mouseMoveEvent(QMouseEvent* e) {
    PlotView::mouseMoveEvent(e);
    QPoint pos = e->position().toPoint();
    if (tools_.active()) {
        holdCursor(pos);
        if (tools_.mode() == DrawingTools::Mode::Sketch) {
            const SegmentWrite w = tools_.Move({pos.x(), pos.y()}, map_, plot_, doc_.samples());
            if (w.changed)
                repaintStrip(w);
        } else if (tools_.hasVertex()) {
            tools_.setBandEnd({pos.x(), pos.y()});
            update();
        }
        return;
    }
    if (!drag_)
        return;
    const AnchorLabel& label = drag_->side == 0 ? anchors_.left : anchors_.right;
    const AnchorDrag::Step step = drag_->Move(pos.x(), pos.y(), map_, label);
    if (!step.moved)
        return;
    if (step.warpCursor)
        QCursor::setPos(mapToGlobal(QPoint(step.cursorX, drag_->startRow)));
    setAnchor(drag_->side, step.value);
    entry_->setText(QString::number(step.value));
    update();
}

void WeditVw::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    if (tools_.LeftUp()) {
        update();
        return;
    }
    if (!drag_)
        return;
    drag_.reset();
    pressedHandle_ = -1;
    releaseMouse();
    storeAnchors();
    hideEntry();
    update();
}

void WeditVw::startTool(DrawingTools::Mode mode) {
    if (!doc_.SnapshotForUndo())
        return;
    tools_.Start(mode);
    unmark();
    grabMouse();
    update();
}

void WeditVw::endTool() {
    releaseMouse();
    if (tools_.End())
        doc_.CommitEdit();
    update();
}

void WeditVw::startAutoline() {
    if (tools_.CanStartAutoline())
        startTool(DrawingTools::Mode::Autoline);
}

void WeditVw::startSketch() {
    if (tools_.CanStartSketch())
        startTool(DrawingTools::Mode::Sketch);
}

void WeditVw::unmark() {
    anchors_.Unmark(map_.xmin, map_.xmax);
    update();
}

bool WeditVw::canZoomIn() const {
    return CanZoomIn(anchors_, map_);
}

bool WeditVw::canZoomOut() const {
    return CanZoomOut(map_, doc_.wavelength());
}

bool WeditVw::canTrimLeft() const {
    return AreaCommandsEnabled(true, anchors_.L(), anchors_.R(), doc_.wavelength()).trimLeft;
}

bool WeditVw::canTrimRight() const {
    return AreaCommandsEnabled(true, anchors_.L(), anchors_.R(), doc_.wavelength()).trimRight;
}

void WeditVw::zoomIn() {
    if (!canZoomIn())
        return;
    mapWindow_->move(width() - mapWindow_->width(), (height() - mapWindow_->height()) / 2);
    ZoomIn(anchors_, map_);
    update();
    mapWindow_->show();
    mapWindow_->raise();
    mapWindow_->update();
}

void WeditVw::zoomOut() {
    ZoomOut(anchors_, map_, doc_.wavelength());
    update();
    mapWindow_->hide();
}

void WeditVw::zoomTo(long first, long last) {
    ZoomTo(anchors_, map_, first, std::min<long>(last, static_cast<long>(doc_.wavelength()) - 1));
    update();
}

void WeditVw::snapshotAndCommit(long first, long last,
                                const std::function<bool(SampleSpan)>& edit) {
    if (!tools_.toolsAllowed() || first < 0 || last < first)
        return;
    if (!doc_.SnapshotForUndo())
        return;
    if (doc_.samples().Write(static_cast<std::size_t>(first), static_cast<std::size_t>(last), edit))
        doc_.CommitEdit();
    update();
}

void WeditVw::filter() {
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R - 1,
                      [this, L, R](SampleSpan s) { return FilterArea(s, L, R, map_.xmax); });
}

void WeditVw::smooth() {
    const ValueScale& scale = composer().valueScale();
    const SampleLimits limits = scale.centredCodes() ? SampleLimits{map_.ymin, map_.ymax}
                                                     : SampleLimits{0, ValueScale::kFullScale};
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R + 1,
                      [L, R, limits](SampleSpan s) { return SmoothArea(s, L, R, limits); });
}

void WeditVw::invert() {
    const ValueScale& scale = composer().valueScale();
    const SampleLimits limits = scale.centredCodes()
                                    ? SampleLimits{map_.ymin, std::trunc(map_.ymax)}
                                    : SampleLimits{0, ValueScale::kFullScale};
    const InvertMirror mirror = scale.centredCodes()     ? InvertMirror::AboutZero
                                : scale.abstractValues() ? InvertMirror::FmAbstract
                                                         : InvertMirror::AboutCentre;
    const double centre = composer().initialPoint();
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R, [L, R, limits, mirror, centre](SampleSpan s) {
        return InvertArea(s, L, R, mirror, centre, limits);
    });
}

void WeditVw::trimLeft() {
    if (!canTrimLeft())
        return;
    if (doc_.TrimLeft(anchors_.L()))
        resetRange();
}

void WeditVw::trimRight() {
    if (!canTrimRight())
        return;
    if (doc_.TrimRight(anchors_.R()))
        resetRange();
}

} // namespace tw
