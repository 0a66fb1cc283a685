#pragma once
#include "auxiliary/AdditionalBits.h"
#include "document/MarkerBitMask.h"
#include "view/Anchors.h"
#include "view/DrawingTools.h"
#include "view/qt/PlotView.h"

#include <functional>
#include <optional>

class QLineEdit;
class QTimer;

namespace tw {

class WeDoc;

// The standard and FM composers' view: the plot of the document's active channel with its
// frame, grid, scale texts, anchors, shading outside the anchors and the editing tools. The
// composer it is given says its margins, units and vertical mappings.
class WeditVw : public PlotView {
    Q_OBJECT
  public:
    WeditVw(const Composer& composer, WeDoc& doc, QWidget* parent = nullptr);
    ~WeditVw() override;

    WeDoc& document() const { return doc_; }

    // What the tests and the frame read.
    const Anchors& anchors() const { return anchors_; }
    const DrawingTools& tools() const { return tools_; }
    QRect handleRect(int side) const;
    QLineEdit* valueEntry() const { return entry_; }
    QWidget* mapWindow() const;

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

    // Show Peaks: each column of the plot (and of the map and the printed page) also spans the
    // least to the greatest of all points it covers.
    bool showPeaks() const { return showPeaks_; }
    void setShowPeaks(bool show);
    // What the trace leaves out of each point: the marker bits, when in use or with trace types.
    MarkerBitMask traceMask();

  protected:
    int channel() const override;
    std::string titleName() const override;
    void prepareMapping(const PlotRect& plot) override;
    ScaleTexts drawPlot(QPainter& p, const PlotRect& plot, int textRight,
                        const PlotFace& face) override;
    void drawOverlay(QPainter& p, const PlotRect& plot) override;
    std::string readoutAt(QPoint pos) const override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void wholeRange();
    void drawAnchors(QPainter& p, const PlotRect& r);
    void drawDrawingOverlay(QPainter& p);

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

    WeDoc& doc_;
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
    QWidget* mapWindow_ = nullptr; // the map of the whole wave
};

} // namespace tw
