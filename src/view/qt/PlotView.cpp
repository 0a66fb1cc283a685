#include "view/qt/PlotView.h"

#include "document/Composer.h"
#include "host/WindowTitle.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"
#include "view/qt/PlotRenderer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>

#include <algorithm>

namespace tw {

namespace {

constexpr int kProgressBarId = 11001;
constexpr int kPaperTitle = 12; // points

} // namespace

PlotView::PlotView(const Composer& composer, QWidget* parent)
    : QWidget(parent), composer_(composer) {
    map_.fm = !composer_.valueScale().centredCodes();
    map_.fmAbstract = composer_.valueScale().abstractValues();
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The plot takes the keys (a click or Tab gives it the focus), so the commands' shortcuts
    // reach the wave rather than a box of the bars.
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 120);
    setMouseTracking(true);
    setFont(ArialFont(16)); // the layout's margins leave room for the mid-value label
}

PlotView::~PlotView() = default;

PlotUnits PlotView::units() const {
    // The level unit of the channel's pulse train serves every composer's vertical scale.
    const int voltInd =
        LevelUnitIndex(ReadTrainRootNumber(composer_.session(), channel(), "voltInd", 0));
    return UnitsForComposer(composer_, voltInd);
}

std::string PlotView::readout(QPoint pos) const {
    return plot_.contains(pos.x(), pos.y()) ? readoutAt(pos) : std::string();
}

int PlotView::sampleTextWidth() const {
    return QFontMetrics(font()).horizontalAdvance(composer_.valueScale().widestText());
}

void PlotView::resizeEvent(QResizeEvent*) {
    layoutPlot();
    placeProgressBar();
}

void PlotView::layoutPlot() {
    const PlotLayout layout =
        LayoutPlot(width(), height(), sampleTextWidth(),
                   QFontMetrics(font()).horizontalAdvance("Pts"), !composer_.hasDocument());
    plot_ = layout.plot;
    handleSize_ = layout.handleSize;
    prepareMapping(plot_);
}

void PlotView::paintEvent(QPaintEvent*) {
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

void PlotView::render(QPainter& p, QRect area, bool printing, bool screenColours) {
    const PlotFace face = printing ? PlotFace::Paper(screenColours) : PlotFace::Screen();
    p.fillRect(area, Qt::white);
    const std::string title = composer_.windowTitle(titleName());
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
    scaleTexts_ = drawPlot(p, r, textRight, face);
    if (printing) {
        p.setFont(ArialFont(kPaperTitle));
        p.setPen(Qt::black);
        p.drawText(titleBox, Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(title));
    } else {
        drawOverlay(p, r);
    }
    Show(prompter(), PublishTitle(composer_.session(), title));
}

// A border in the highlight colour along the view's edges while the plot holds the keys.
void PlotView::drawFocusCue(QPainter& p) {
    p.save();
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.restore();
}

void PlotView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PlotView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void PlotView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && barMenuRequested)
        barMenuRequested(e->globalPosition().toPoint());
}

void PlotView::mouseMoveEvent(QMouseEvent* e) {
    pointer_ = e->position().toPoint();
    if (pointerMoved)
        pointerMoved(*pointer_);
}

void PlotView::leaveEvent(QEvent*) {
    pointer_.reset();
    if (pointerMoved)
        pointerMoved(std::nullopt);
}

void PlotView::print(QPrinter& printer, bool screenColours) {
    QPainter painter(&printer);
    // One unit a point: the page's texts and lines have their sizes whatever the resolution.
    const double unit = printer.resolution() / 72.0;
    painter.scale(unit, unit);
    const QSize page = (QSizeF(painter.viewport().size()) / unit).toSize();
    render(painter, QRect(QPoint(0, 0), page), true, screenColours);
    painter.end();
    prepareMapping(plot_);
}

int PlotView::progressNotice(long position, long show) {
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

void PlotView::placeProgressBar() {
    // 10 pixels high across the full width, ending 1 pixel above the bottom edge.
    if (bar_)
        bar_->setGeometry(0, height() - 11, width(), 10);
}

} // namespace tw
