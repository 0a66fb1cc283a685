#pragma once
#include "host/HostEvents.h"
#include "view/PlotMapping.h"
#include "view/ScaleTexts.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QPainter;
class QPrinter;
class QProgressBar;

namespace tw {

class Composer;
struct PlotFace;

// The frame's central plot, whatever it draws: the layout of the plot within the widget, the
// off-screen buffer, the window title each paint builds and publishes, the printed page, the
// host's progress bar and the readout's pointer. The wave composers' view (WeditVw) and the
// pulse train's (PulseTrainView) draw the plot itself.
class PlotView : public QWidget {
    Q_OBJECT
  public:
    explicit PlotView(const Composer& composer, QWidget* parent = nullptr);
    ~PlotView() override;

    const Composer& composer() const { return composer_; }
    // The host's progress notice: a bar along the bottom edge while `show` is 1. Returns 11.
    int progressNotice(long position, long show);
    QProgressBar* progressBar() const { return bar_; }
    const ProgressState& progress() const { return progress_; }

    // Right click outside the tools: the frame's bar menu at a global position.
    std::function<void(QPoint)> barMenuRequested;
    // The mouse moved over the view, or left it (nothing): the frame's readout follows it.
    std::function<void(std::optional<QPoint>)> pointerMoved;

    const PlotMapping& mapping() const { return map_; }
    const PlotRect& plot() const { return plot_; }
    int handleSize() const { return handleSize_; }
    // The scale texts of the last paint (empty while the pulse view has no train).
    const ScaleTexts& scaleTexts() const { return scaleTexts_; }
    PlotUnits units() const;
    // The status bar's readout for the mouse at `pos`; empty outside the plot.
    std::string readout(QPoint pos) const;

    // One page on the printer, laid out in points within the printer's margins as Print, Print
    // Preview and Print Setup have set it up: black on white, or in the screen's colours.
    void print(QPrinter& printer, bool screenColours = false);
    // Renders the view into a painter: the screen's off-screen buffer, or a printed page whose
    // area is in points.
    void render(QPainter& painter, QRect area, bool printing, bool screenColours = false);

  protected:
    // The channel whose train's level unit names the vertical scale.
    virtual int channel() const = 0;
    // The name the window title shows.
    virtual std::string titleName() const = 0;
    // Fits the mapping to a plot rectangle (the layout, and the screen's again after printing).
    virtual void prepareMapping(const PlotRect& plot) = 0;
    // The frame, grid, scale texts and contents in `plot`; returns the scale texts.
    virtual ScaleTexts drawPlot(QPainter& p, const PlotRect& plot, int textRight,
                                const PlotFace& face) = 0;
    // On screen only, over the drawn plot.
    virtual void drawOverlay(QPainter&, const PlotRect&) {}
    // The readout at a point inside the plot.
    virtual std::string readoutAt(QPoint pos) const = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    PlotMapping map_;
    PlotRect plot_;
    int handleSize_ = 11;

  private:
    void placeProgressBar();
    void layoutPlot();
    void drawFocusCue(QPainter& p);
    int sampleTextWidth() const;

    const Composer& composer_;
    ProgressState progress_;
    QProgressBar* bar_ = nullptr;
    QImage buffer_;
    ScaleTexts scaleTexts_;
    std::optional<QPoint> pointer_; // where the mouse is over the view, for the readout
};

} // namespace tw
