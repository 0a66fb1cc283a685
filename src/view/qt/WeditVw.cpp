#include "view/qt/WeditVw.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "document/Composer.h"
#include "document/WeDoc.h"
#include "host/WindowTitle.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseOptions.h"
#include "view/MarkedAreaOps.h"
#include "view/ScaleTexts.h"
#include "view/qt/PlotRenderer.h"
#include "view/qt/PulseTrainView.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

constexpr int kProgressBarId = 11001;
constexpr int kPaperTitle = 12; // points
const QColor kLabelColour(10, 52, 95);

} // namespace

// The overview of the whole wave with a frame over the zoomed range; dragging the frame pans.
class WaveMapWindow : public QWidget {
  public:
    explicit WaveMapWindow(WeditVw& view) : QWidget(&view), view_(view) {
        resize(220, 140);
        setMinimumSize(80, 60);
        hide();
    }
    static constexpr int kCaption = 18;

    PlotMapping overview() const {
        PlotMapping m;
        const WeDoc* doc = view_.document();
        m.xmin = 0;
        m.xmax = doc ? doc->wavelength() - 1 : 0;
        m.ymin = std::trunc(view_.mapping().ymin);
        m.ymax = std::trunc(view_.mapping().ymax);
        m.fm = view_.mapping().fm;
        m.fmAbstract = view_.mapping().fmAbstract;
        m.SetMapping(client());
        return m;
    }
    PlotRect client() const { return {1, kCaption + 1, width() - 2, height() - 2}; }
    QRect frameRect() const {
        const PlotMapping m = overview();
        const PlotMapping& v = view_.mapping();
        QRect r(QPoint(m.XToPixel(v.xmin), m.YToPixel(v.ymax)),
                QPoint(m.XToPixel(v.xmax), m.YToPixel(v.ymin)));
        return r.translated(shift_, 0);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(236, 239, 243));
        p.setPen(QColor(90, 96, 110));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setFont(ArialFont(11));
        p.drawText(QRect(0, 0, width(), kCaption), Qt::AlignCenter, "--- Waveform Map ---");
        const PlotRect c = client();
        p.fillRect(ToQRect(c), Qt::black);
        p.fillRect(QRect(width() - 8, height() - 8, 6, 6), QColor(120, 126, 140));
        const WeDoc* doc = view_.document();
        if (!doc)
            return;
        const PlotMapping m = overview();
        // With peaks the map pools the points as the plot shows them; the points' summary
        // holds one mask.
        const bool peaks = view_.showPeaks();
        PlotRenderer(p, m, c).drawTrace(doc->samples(), doc->wavelength(),
                                        peaks ? view_.traceMask() : MarkerBitMask{}, peaks,
                                        QColor(255, 255, 192));
        p.setClipRect(ToQRect(c));
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QRect f = frameRect();
        if (f.width() < 5) {
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(f.center(), 5, 5);
            p.drawLine(f.center().x(), c.top, f.center().x(), c.bottom);
        } else {
            p.fillRect(f, Qt::white);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton &&
            frameRect().adjusted(-5, 0, 5, 0).contains(e->position().toPoint())) {
            dragging_ = true;
            start_ = e->position().toPoint().x();
            if (view_.valueEntry())
                view_.valueEntry()->hide();
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint at = e->position().toPoint();
        if (moving_) {
            const QPoint to = mapToParent(at) - *moving_;
            move(std::clamp(to.x(), 0, std::max(0, parentWidget()->width() - width())),
                 std::clamp(to.y(), 0, std::max(0, parentWidget()->height() - height())));
            return;
        }
        if (resizing_) {
            resize(std::max(at.x(), minimumWidth()), std::max(at.y(), minimumHeight()));
            return;
        }
        if (!dragging_)
            return;
        const QRect base = frameRect().translated(-shift_, 0);
        const PlotRect c = client();
        const int delta = e->position().toPoint().x() - start_;
        shift_ = std::clamp(delta, c.left - base.left(), std::max(0, c.right - base.right()));
        update();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        moving_.reset();
        resizing_ = false;
        if (!dragging_)
            return;
        dragging_ = false;
        const QRect f = frameRect();
        shift_ = 0;
        const PlotMapping m = overview();
        const long first = std::max(0L, static_cast<long>(m.PixelToX(f.left())));
        const long last = static_cast<long>(m.PixelToX(std::max(f.left() + 3, f.right())));
        view_.zoomTo(first, last);
        update();
    }

  private:
    WeditVw& view_;
    bool dragging_ = false;
    std::optional<QPoint> moving_;
    bool resizing_ = false;
    int start_ = 0;
    int shift_ = 0;
};

WeditVw::WeditVw(const Composer& composer, QWidget* parent) : QWidget(parent), composer_(composer) {
    map_.fm = !composer_.valueScale().centredCodes();
    map_.fmAbstract = composer_.valueScale().abstractValues();
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The plot takes the keys (a click or Tab gives it the focus), so the commands' shortcuts
    // reach the wave rather than a box of the bars.
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 120);
    setMouseTracking(true);
    setFont(ArialFont(16)); // the layout's margins leave room for the mid-value label
    entry_ = new QLineEdit(this);
    entry_->setAlignment(Qt::AlignCenter);
    entry_->setMaxLength(20);
    entry_->setFixedSize(84, 22);
    entry_->hide();
    entry_->installEventFilter(this);
    badTimer_ = new QTimer(this);
    badTimer_->setSingleShot(true);
    connect(badTimer_, &QTimer::timeout, this, [this] { entry_->setText(badRestore_); });
    mapWindow_ = new WaveMapWindow(*this);
}

WeditVw::~WeditVw() = default;

QWidget* WeditVw::mapWindow() const {
    return mapWindow_;
}

void WeditVw::setDocument(WeDoc* doc) {
    doc_ = doc;
    rangeSet_ = false;
    update();
}

bool WeditVw::editing() const {
    return doc_ != nullptr;
}

PlotUnits WeditVw::units() const {
    // The level unit of the channel's pulse train serves every composer's vertical scale.
    const int channel = pulse_ ? pulse_->activeChannel() : doc_ ? doc_->activeChannel() : 0;
    const int voltInd = LevelUnitIndex(
        ReadTrainRootNumber(composer_.session().exchangeFile, channel, "voltInd", 0));
    return UnitsForComposer(composer_, voltInd);
}

int WeditVw::sampleTextWidth() const {
    return QFontMetrics(font()).horizontalAdvance(composer_.valueScale().widestText());
}

MarkerBitMask WeditVw::traceMask() {
    if (!markerBitsRead_) {
        markerBits_ = ReadMarkerBitSettings(composer_.session().descrFile);
        markerBitsRead_ = true;
    }
    if (!doc_)
        return {};
    return {doc_->limits().hasTraceTypes || markerBits_.inUse, markerBits_.bit0, markerBits_.bit1,
            -static_cast<long>(doc_->vMin())};
}

void WeditVw::setShowPeaks(bool show) {
    showPeaks_ = show;
    update();
    if (mapWindow_->isVisible())
        mapWindow_->update();
}

void WeditVw::resizeEvent(QResizeEvent*) {
    layoutPlot();
    placeProgressBar();
}

void WeditVw::layoutPlot() {
    const PlotLayout layout =
        LayoutPlot(width(), height(), sampleTextWidth(),
                   QFontMetrics(font()).horizontalAdvance("Pts"), !composer_.hasDocument());
    plot_ = layout.plot;
    handleSize_ = layout.handleSize;
    prepareMapping(plot_);
}

void WeditVw::resetRange() {
    wholeRange();
    if (mapWindow_)
        mapWindow_->hide();
    update();
}

void WeditVw::wholeRange() {
    const double last = doc_ ? std::max(0.0, std::trunc(doc_->wavelength() - 1)) : 0;
    map_.xmin = 0;
    map_.xmax = last;
    anchors_.SetRanges(map_.xmin, map_.xmax);
    anchors_.Unmark(map_.xmin, map_.xmax);
    rangeSet_ = true;
}

void WeditVw::prepareMapping(const PlotRect& plot) {
    if (editing()) {
        if (!rangeSet_)
            wholeRange();
        map_.ymin = doc_->vMin();
        map_.ymax = doc_->vMax();
        map_.secondSpan = std::trunc(doc_->vMax() - doc_->vMin());
    }
    map_.SetMapping(plot);
}

void WeditVw::paintEvent(QPaintEvent*) {
    if (buffer_.size() != size())
        buffer_ = QImage(size(), QImage::Format_RGB32);
    {
        QPainter p(&buffer_);
        render(p, rect(), false);
        if (hasFocus())
            drawFocusCue(p);
    }
    QPainter(this).drawImage(0, 0, buffer_);
    // The readout follows what the plot now shows (another channel, segment or wave).
    if (pointerMoved && pointer_)
        pointerMoved(*pointer_);
}

void WeditVw::render(QPainter& p, QRect area, bool printing, bool screenColours) {
    const PlotFace face = printing ? PlotFace::Paper(screenColours) : PlotFace::Screen();
    p.fillRect(area, Qt::white);
    const std::string title =
        composer_.windowTitle(doc_ && !doc_->pathName().empty() ? doc_->pathName() : "Untitled");
    if (!printing)
        if (QWidget* top = window(); top != this)
            top->setWindowTitle(QString::fromStdString(title));

    p.setFont(ArialFont(14));
    PlotRect r = plot_;
    QRect titleBox;
    if (printing) {
        // A page in points: the title on top, the mid-value label left of the plot, the two
        // scale lines below it, each in its own room.
        const QFontMetrics titleFont(ArialFont(kPaperTitle), p.device());
        const QFontMetrics scaleFont(ArialFont(face.scaleText), p.device());
        const QFontMetrics midFont(ArialFont(face.midText), p.device());
        titleBox = QRect(area.left(), area.top(), area.width(), titleFont.height());
        // Room for the longest mid-value label.
        const int left = area.left() + midFont.horizontalAdvance("-999.999999e-99") + 6;
        r = {left, titleBox.bottom() + 10, area.right() - 6,
             area.bottom() - 2 * (scaleFont.height() + 3) - 8};
    }
    const int textRight = printing ? area.right() : std::max(width(), r.right + 1);
    if (pulse_) {
        scaleTexts_ = DrawPulsePlot(p, map_, r, pulse_->Trace(), units(), textRight, face);
    } else {
        prepareMapping(r);
        PlotRenderer plot(p, map_, r, face);
        scaleTexts_ = plot.drawFrame(units(), textRight, !composer_.hasDocument());
        if (doc_) {
            const Samples& samples = doc_->samples();
            plot.drawTrace(samples, doc_->wavelength(), traceMask(), showPeaks_);
            plot.drawFmMarkers(composer_.fmMarkerPoints(), samples.int32());
            plot.drawMarkerStrips(samples, doc_->wavelength(), markerBits_,
                                  -static_cast<long>(doc_->vMin()));
            plot.drawShading(anchors_.L(), anchors_.R());
        }
    }
    if (printing) {
        p.setFont(ArialFont(kPaperTitle));
        p.setPen(Qt::black);
        p.drawText(titleBox, Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(title));
    } else if (editing()) {
        drawAnchors(p, r);
        drawDrawingOverlay(p);
    }
    PublishTitle(title);
}

// A border in the highlight colour along the view's edges while the plot holds the keys.
void WeditVw::drawFocusCue(QPainter& p) {
    p.save();
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.restore();
}

void WeditVw::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void WeditVw::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
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
    if (!doc_ || doc_->waveParSection().empty())
        return;
    ExchangeFile::WaveParameters::StoreRange(doc_->waveParSection(), anchors_.L(), anchors_.R());
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
    if (!editing()) {
        if (e->button() == Qt::RightButton && barMenuRequested)
            barMenuRequested(e->globalPosition().toPoint());
        return;
    }
    QPoint pos = e->position().toPoint();
    if (tools_.active()) {
        if (e->button() == Qt::RightButton) {
            endTool();
            return;
        }
        if (e->button() != Qt::LeftButton || !plot_.contains(pos.x(), pos.y()))
            return;
        const SegmentWrite w = tools_.LeftDown({pos.x(), pos.y()}, map_, plot_, doc_->samples());
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
    QPoint pos = e->position().toPoint();
    pointer_ = pos;
    if (pointerMoved)
        pointerMoved(pos);
    if (editing() && tools_.active()) {
        holdCursor(pos);
        if (tools_.mode() == DrawingTools::Mode::Sketch) {
            const SegmentWrite w = tools_.Move({pos.x(), pos.y()}, map_, plot_, doc_->samples());
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
    if (editing() && tools_.LeftUp()) {
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

void WeditVw::leaveEvent(QEvent*) {
    pointer_.reset();
    if (pointerMoved)
        pointerMoved(std::nullopt);
}

void WeditVw::startTool(DrawingTools::Mode mode) {
    if (!editing())
        return;
    if (!doc_->SnapshotForUndo())
        return;
    tools_.Start(mode);
    unmark();
    grabMouse();
    update();
}

void WeditVw::endTool() {
    releaseMouse();
    if (tools_.End())
        doc_->CommitEdit();
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
    return editing() && CanZoomIn(anchors_, map_);
}

bool WeditVw::canZoomOut() const {
    return editing() && CanZoomOut(map_, doc_->wavelength());
}

bool WeditVw::canTrimLeft() const {
    return editing() &&
           AreaCommandsEnabled(true, anchors_.L(), anchors_.R(), doc_->wavelength()).trimLeft;
}

bool WeditVw::canTrimRight() const {
    return editing() &&
           AreaCommandsEnabled(true, anchors_.L(), anchors_.R(), doc_->wavelength()).trimRight;
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
    if (!editing())
        return;
    ZoomOut(anchors_, map_, doc_->wavelength());
    update();
    mapWindow_->hide();
}

void WeditVw::zoomTo(long first, long last) {
    if (!editing())
        return;
    ZoomTo(anchors_, map_, first, std::min<long>(last, static_cast<long>(doc_->wavelength()) - 1));
    update();
}

void WeditVw::snapshotAndCommit(long first, long last,
                                const std::function<bool(SampleSpan)>& edit) {
    if (!editing() || !tools_.toolsAllowed() || first < 0 || last < first)
        return;
    if (!doc_->SnapshotForUndo())
        return;
    if (doc_->samples().Write(static_cast<std::size_t>(first), static_cast<std::size_t>(last),
                              edit))
        doc_->CommitEdit();
    update();
}

void WeditVw::filter() {
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R - 1,
                      [this, L, R](SampleSpan s) { return FilterArea(s, L, R, map_.xmax); });
}

void WeditVw::smooth() {
    const ValueScale& scale = composer_.valueScale();
    const SampleLimits limits = scale.centredCodes() ? SampleLimits{map_.ymin, map_.ymax}
                                                     : SampleLimits{0, ValueScale::kFullScale};
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R + 1,
                      [L, R, limits](SampleSpan s) { return SmoothArea(s, L, R, limits); });
}

void WeditVw::invert() {
    const ValueScale& scale = composer_.valueScale();
    const SampleLimits limits = scale.centredCodes()
                                    ? SampleLimits{map_.ymin, std::trunc(map_.ymax)}
                                    : SampleLimits{0, ValueScale::kFullScale};
    const InvertMirror mirror = scale.centredCodes()     ? InvertMirror::AboutZero
                                : scale.abstractValues() ? InvertMirror::FmAbstract
                                                         : InvertMirror::AboutCentre;
    const double centre = doc_ ? composer_.initialPoint() : 0;
    const long L = anchors_.L(), R = anchors_.R();
    snapshotAndCommit(L, R, [L, R, limits, mirror, centre](SampleSpan s) {
        return InvertArea(s, L, R, mirror, centre, limits);
    });
}

void WeditVw::trimLeft() {
    if (!canTrimLeft())
        return;
    if (doc_->TrimLeft(anchors_.L()))
        resetRange();
}

void WeditVw::trimRight() {
    if (!canTrimRight())
        return;
    if (doc_->TrimRight(anchors_.R()))
        resetRange();
}

void WeditVw::print(QPrinter& printer, bool screenColours) {
    QPainter painter(&printer);
    // One unit a point: the page's texts and lines have their sizes whatever the resolution.
    const double unit = printer.resolution() / 72.0;
    painter.scale(unit, unit);
    const QSize page = (QSizeF(painter.viewport().size()) / unit).toSize();
    render(painter, QRect(QPoint(0, 0), page), true, screenColours);
    painter.end();
    prepareMapping(plot_);
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

void WeditVw::placeProgressBar() {
    // 10 pixels high across the full width, ending 1 pixel above the bottom edge.
    if (bar_)
        bar_->setGeometry(0, height() - 11, width(), 10);
}

} // namespace tw
