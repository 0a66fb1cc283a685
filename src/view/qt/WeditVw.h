#pragma once
#include "auxiliary/AdditionalBits.h"
#include "document/MarkerBitMask.h"
#include "host/HostEvents.h"
#include "view/Anchors.h"
#include "view/DrawingTools.h"
#include "view/PlotMapping.h"
#include "view/ScaleTexts.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QPainter;
class QPrinter;
class QProgressBar;
class QTimer;

namespace tw {

class Composer;
class PulseComposer;
class WaveMapWindow;
class WeDoc;

// The one view of the frame: the plot of the active channel's waveform with its frame, grid,
// scale texts, anchors, shading outside the anchors and the editing tools. Every paint builds
// the window title, sets it on the frame and publishes it to the host and the log. The
// composer it is given says its margins, units and vertical mappings; the pulse-train composer
// hands it its train, which it draws instead.
class WeditVw : public QWidget {
    Q_OBJECT
  public:
    explicit WeditVw(const Composer& composer, QWidget* parent = nullptr);
    ~WeditVw() override;

    void setPulseComposer(PulseComposer* composer) { pulse_ = composer; }
    PulseComposer* pulseComposer() const { return pulse_; }
    const Composer& composer() const { return composer_; }
    void setDocument(WeDoc* doc);
    WeDoc* document() const { return doc_; }
    // The host's progress notice: a bar along the bottom edge while `show` is 1. Returns 11.
    int progressNotice(long position, long show);
    QProgressBar* progressBar() const { return bar_; }
    const ProgressState& progress() const { return progress_; }

    // Right click outside the tools: the frame's bar menu at a global position.
    std::function<void(QPoint)> barMenuRequested;
    // The mouse moved over the view, or left it (nothing): the frame's readout follows it.
    std::function<void(std::optional<QPoint>)> pointerMoved;

    // What the tests and the frame read.
    const PlotMapping& mapping() const { return map_; }
    const PlotRect& plot() const { return plot_; }
    const Anchors& anchors() const { return anchors_; }
    const DrawingTools& tools() const { return tools_; }
    int handleSize() const { return handleSize_; }
    QRect handleRect(int side) const;
    QLineEdit* valueEntry() const { return entry_; }
    QWidget* mapWindow() const;
    // The scale texts of the last paint (empty while the pulse view has no train).
    const ScaleTexts& scaleTexts() const { return scaleTexts_; }
    PlotUnits units() const;

    void startAutoline();
    void startSketch();
    void unmark();
    void zoomIn();
    void zoomOut();
    void filter();
    void smooth();
    void invert();
    void trimLeft();
    void trimRight();
    // One page on the printer, laid out in points within the printer's margins as Print, Print
    // Preview and Print Setup have set it up: black on white, or in the screen's colours.
    void print(QPrinter& printer, bool screenColours = false);
    // The whole wave again (New, Open, Undo, wavelength changes).
    void resetRange();
    // Sets the visible range from the map window's frame.
    void zoomTo(long first, long last);
    // A generator dialog shows its range with the anchors; restoreAnchors puts back the ones
    // from before the first mark.
    void markAnchors(long start, long end);
    void restoreAnchors();
    void forgetAnchorMark() { anchorsBeforeMark_.reset(); }
    // Typed anchor value for a side; false (and "Bad:" shown) when refused.
    bool enterAnchorValue(int side, const QString& text);

    bool canZoomIn() const;
    bool canZoomOut() const;
    bool canTrimLeft() const;
    bool canTrimRight() const;

    // Renders the view into a painter: the screen's off-screen buffer, or a printed page whose
    // area is in points.
    void render(QPainter& painter, QRect area, bool printing, bool screenColours = false);

    // Show Peaks: each column of the plot (and of the map and the printed page) also spans the
    // least to the greatest of all points it covers.
    bool showPeaks() const { return showPeaks_; }
    void setShowPeaks(bool show);
    // What the trace leaves out of each point: the marker bits, when in use or with trace types.
    MarkerBitMask traceMask();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void placeProgressBar();
    void layoutPlot();
    void wholeRange();
    void prepareMapping(const PlotRect& plot);
    void drawAnchors(QPainter& p, const PlotRect& r);
    void drawDrawingOverlay(QPainter& p);
    void drawFocusCue(QPainter& p);
    int sampleTextWidth() const;

    bool editing() const; // a document to draw and edit
    int anchorPixel(int side) const;
    void setAnchor(int side, long value);
    void showEntry(int side, bool focus);
    void hideEntry();
    void storeAnchors();
    // Filter, Smooth, Invert: the undo copy, edit's write of points [first, last], one commit.
    void snapshotAndCommit(long first, long last, const std::function<bool(SampleSpan)>& edit);
    void startTool(DrawingTools::Mode mode);
    void endTool();
    void holdCursor(QPoint& pos);
    void repaintStrip(const SegmentWrite& write);

    const Composer& composer_;
    PulseComposer* pulse_ = nullptr;
    WeDoc* doc_ = nullptr;
    ProgressState progress_;
    QProgressBar* bar_ = nullptr;

    PlotMapping map_;
    PlotRect plot_;
    int handleSize_ = 11;
    Anchors anchors_;
    std::optional<std::pair<long, long>> anchorsBeforeMark_;
    DrawingTools tools_;
    std::optional<AnchorDrag> drag_;
    int pressedHandle_ = -1;
    bool rangeSet_ = false;
    MarkerBitSettings markerBits_;
    bool markerBitsRead_ = false;
    bool showPeaks_ = false;

    QLineEdit* entry_ = nullptr;
    int entrySide_ = 0;
    QTimer* badTimer_ = nullptr;
    QString badRestore_;
    WaveMapWindow* mapWindow_ = nullptr;
    QImage buffer_;
    ScaleTexts scaleTexts_;
    std::optional<QPoint> pointer_; // where the mouse is over the view, for the readout
};

} // namespace tw
