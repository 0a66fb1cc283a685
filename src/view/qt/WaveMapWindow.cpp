#include "view/qt/WaveMapWindow.h"

#include "document/WeDoc.h"
#include "view/qt/PlotRenderer.h"
#include "view/qt/WeditVw.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tw {

namespace {

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
        m.xmin = 0;
        m.xmax = view_.document().wavelength() - 1;
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
        const WeDoc& doc = view_.document();
        const PlotMapping m = overview();
        // With peaks the map pools the points as the plot shows them; the points' summary
        // holds one mask.
        const bool peaks = view_.showPeaks();
        PlotRenderer(p, m, c).drawTrace(doc.samples(), doc.wavelength(),
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

} // namespace

QWidget* NewWaveMapWindow(WeditVw& view) {
    return new WaveMapWindow(view);
}

} // namespace tw
