// The wave's view: the tools, anchors and area commands it hands the mouse and keys, and Show
// Peaks: a single-point glitch in a long wave seen whole, which the one-sample-per-column trace
// passes over, is drawn in full, on screen and on paper; marker bits stay out of it and FM
// abstract mode maps it through the second mapping.
#include "support/SampleValues.h"
#include "view/qt/WeditVw.h"

#include "app/LaunchState.h"
#include "app/Startup.h"
#include "document/Composer.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "fm/FmComposer.h"
#include "support/Sandbox.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

const QColor kTrace(255, 255, 240);

struct QuietFmComposer : FmComposer {
    explicit QuietFmComposer(const LaunchState& session) : FmComposer(session, true) {}
    bool SetUpChannel(WeDoc&) override { return true; }
    void ComputeMarkers(WeDoc&) override {}
};

class WeditVwTest : public ::testing::Test {
  protected:
    std::unique_ptr<test::Sandbox> box = std::make_unique<test::Sandbox>();
    std::unique_ptr<Composer> composer = std::make_unique<Composer>(box->session());
    std::unique_ptr<WeDoc> doc;
    std::unique_ptr<WeditVw> view;

    // The editing tests work on the active segment's working file; the peak tests on points
    // alone.
    void Show(std::size_t points, std::int32_t value, bool working = false) {
        doc = std::make_unique<WeDoc>(*composer, box->prompts);
        if (working)
            LoadActiveSegment(*doc);
        doc->Allocate(points);
        test::Fill(doc->samples(), value);
        if (working) {
            doc->SetPathName(doc->ActiveWorkingFile(), false);
            doc->WriteWorkingFile();
        }
        view = std::make_unique<WeditVw>(*composer, *doc);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->resetRange();
    }
    const PlotMapping& m() const { return view->mapping(); }
    QImage Render(bool printing = false) {
        QImage image = printing ? QImage(2000, 1400, QImage::Format_RGB32)
                                : QImage(view->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->render(painter, image.rect(), printing);
        return image;
    }
    // The pixel column whose span holds point i in the last rendering (screen or page): the last
    // column that shows a point at or before it. The glitch must not be a column's own sample, or
    // the plain trace would show it too.
    int ColumnOf(long i) const {
        const PlotMapping& m = view->mapping();
        const int left = m.XToPixel(m.xmin);
        int column = left;
        for (int px = left; px < m.XToPixel(m.xmax); ++px)
            if (static_cast<long>(m.PixelToX(px)) <= i)
                column = px;
        EXPECT_NE(static_cast<long>(m.PixelToX(column)), i) << "pick another glitch";
        return column;
    }
    // How many of the rows between two values (both included) the trace covers in a column.
    static int TraceRows(const QImage& image, int column, int fromRow, int toRow,
                         QColor trace = kTrace) {
        int rows = 0;
        for (int y = std::min(fromRow, toRow); y <= std::max(fromRow, toRow); ++y)
            rows += image.pixelColor(column, y) == trace;
        return rows;
    }
};

// Counts the document's commits: each one makes the working file the path name with a recent
// entry, once.
struct CommitCounter : WeDocListener {
    int commits = 0;
    void pathNameChanged(const std::string&, bool addRecent) override { commits += addRecent; }
};

// The segments' points are DrawingToolsTest's; the view hands the tools the mouse, the points
// change as it goes, and the right button commits them once.
TEST_F(WeditVwTest, SketchAndAutolineWriteAsTheMouseGoesAndTheRightButtonCommits) {
    Show(1000, 0, true);
    CommitCounter seen;
    doc->setListener(&seen);
    view->startSketch();
    ASSERT_EQ(view->tools().mode(), DrawingTools::Mode::Sketch);
    QPoint at(m().XToPixel(100), m().YToPixel(1000));
    QTest::mousePress(view.get(), Qt::LeftButton, {}, at);
    for (int step = 1; step <= 5; ++step) {
        at = QPoint(m().XToPixel(100 + 40 * step), m().YToPixel(1000 + 1000 * step));
        QTest::mouseMove(view.get(), at);
        EXPECT_EQ(doc->samples().at(m().PixelToIndex(at.x())), m().PixelToValue(at.y())) << step;
    }
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, at);
    EXPECT_EQ(seen.commits, 0) << "committed at the end only";
    QTest::mouseClick(view.get(), Qt::RightButton, {}, at);
    EXPECT_EQ(seen.commits, 1);
    EXPECT_FALSE(doc->samples().pending());
    EXPECT_TRUE(doc->CanUndo());

    view->startAutoline();
    const QPoint a(m().XToPixel(600), m().YToPixel(2000));
    const QPoint b(m().XToPixel(800), m().YToPixel(10000));
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, a);
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, b);
    EXPECT_EQ(doc->samples().at(m().PixelToIndex(a.x())), m().PixelToValue(a.y()));
    EXPECT_EQ(doc->samples().at(m().PixelToIndex(b.x())), m().PixelToValue(b.y()));
    EXPECT_EQ(seen.commits, 1);
    QTest::mouseClick(view.get(), Qt::RightButton, {}, b);
    EXPECT_FALSE(view->tools().active());
    EXPECT_EQ(seen.commits, 2);
    doc->setListener(nullptr);
}

TEST_F(WeditVwTest, AnchorDragStopsBeforeTheOtherHandleAndAtTheRangeStart) {
    Show(1000, 0, true);
    ASSERT_TRUE(view->enterAnchorValue(0, "300"));
    ASSERT_TRUE(view->enterAnchorValue(1, "600"));
    const QPoint start = view->handleRect(0).center();
    QTest::mousePress(view.get(), Qt::LeftButton, {}, start);
    EXPECT_TRUE(view->valueEntry()->isVisible());
    const PlotRect& r = view->plot();
    for (int x = start.x(); x < r.right + 40; x += 3)
        QTest::mouseMove(view.get(), QPoint(x, start.y()));
    const int gap = m().XToPixel(view->anchors().R()) - m().XToPixel(view->anchors().L());
    EXPECT_GT(gap, 15);
    EXPECT_LT(gap, 15 + 8);
    EXPECT_EQ(view->anchors().R(), 600);
    EXPECT_EQ(view->valueEntry()->text().toLong(), view->anchors().L());
    for (int x = r.right; x > -40; x -= 3)
        QTest::mouseMove(view.get(), QPoint(x, start.y()));
    EXPECT_EQ(view->anchors().L(), 0);
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(0, start.y()));
    EXPECT_FALSE(view->valueEntry()->isVisible());
    EXPECT_EQ(box->get(box->exchange(), doc->waveParSection(), "Prv_bgn"), "0");
    EXPECT_EQ(box->get(box->exchange(), doc->waveParSection(), "Prv_end"), "600");
}

// The anchors' zoom itself is AnchorsTest's; the view adds the map window while zoomed in.
TEST_F(WeditVwTest, ZoomShowsTheMapWindowUntilZoomedOut) {
    Show(1000, 0, true);
    ASSERT_TRUE(view->enterAnchorValue(0, "200"));
    ASSERT_TRUE(view->enterAnchorValue(1, "800"));
    view->zoomIn();
    EXPECT_EQ(m().xmin, 200);
    EXPECT_TRUE(view->mapWindow()->isVisible());
    // Drawn over the plot: its caption band in the map's own grey.
    const QPoint caption = view->mapWindow()->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(view->grab().toImage().pixelColor(caption), QColor(236, 239, 243));
    view->zoomOut();
    EXPECT_EQ(m().xmax, 999);
    EXPECT_FALSE(view->mapWindow()->isVisible());
}

TEST_F(WeditVwTest, RefusedAnchorValueShowsBadThenPutsTheTextBack) {
    Show(1000, 0, true);
    ASSERT_TRUE(view->enterAnchorValue(1, "800"));
    QTest::mouseClick(view.get(), Qt::RightButton, {}, view->handleRect(0).center());
    QLineEdit* entry = view->valueEntry();
    ASSERT_TRUE(entry->isVisible());
    entry->setText("900"); // beyond the right anchor
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(entry->text(), "Bad:900");
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(view->anchors().L(), 0);
    QTest::qWait(2700);
    EXPECT_EQ(entry->text(), "900");
    entry->setText("750");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(view->anchors().L(), 750);
    EXPECT_FALSE(entry->isVisible());
}

TEST_F(WeditVwTest, MarkedAreaCommandsEditOnlyTheAreaAndTrimsChangeTheLength) {
    Show(1000, 0, true);
    test::Iota(doc->samples(), 0);
    ASSERT_TRUE(view->enterAnchorValue(0, "100"));
    ASSERT_TRUE(view->enterAnchorValue(1, "199"));
    CommitCounter seen;
    doc->setListener(&seen);
    view->invert(); // mirrored about 0 and held in the instrument's 0 .. 16383
    doc->setListener(nullptr);
    EXPECT_EQ(seen.commits, 1);
    EXPECT_EQ(doc->samples().at(99), 99);
    EXPECT_EQ(doc->samples().at(100), 0);
    EXPECT_EQ(doc->samples().at(199), 0);
    EXPECT_EQ(doc->samples().at(200), 200);
    EXPECT_TRUE(doc->CanUndo());
    // The trims themselves are the document's (WeDocTest); the view hands them its anchors.
    ASSERT_TRUE(view->canTrimLeft());
    view->trimLeft();
    EXPECT_EQ(doc->wavelength(), 900);
    EXPECT_EQ(doc->samples().at(0), 0);
    EXPECT_EQ(doc->samples().at(100), 200);
    ASSERT_TRUE(view->enterAnchorValue(1, "499"));
    view->trimRight();
    EXPECT_EQ(doc->wavelength(), 500);
    EXPECT_EQ(doc->samples().at(499), 599);
    EXPECT_FALSE(view->canTrimRight());
}

TEST_F(WeditVwTest, ASinglePointGlitchInA16MPointWaveShowsOnScreenAndOnPaper) {
    Show(std::size_t{1} << 24, 2000);
    const long glitch = 10000123;
    test::Put(doc->samples(), glitch, 14000);
    const PlotMapping& m = view->mapping();
    const int column = ColumnOf(glitch);
    const int base = m.YToPixel(2000), top = m.YToPixel(14000);
    const int span = base - top + 1;
    ASSERT_GT(span, 200);

    EXPECT_EQ(TraceRows(Render(), column, top, base - 1), 0) << "the plain trace passes over it";
    view->setShowPeaks(true);
    EXPECT_EQ(TraceRows(Render(), column, top, base), span);
    EXPECT_EQ(TraceRows(Render(), column - 1, top, base - 1), 0) << "only its column";

    // The summary follows later edits (PeakSummaryTest); the page has its own mapping, read back
    // after rendering it.
    const QImage page = Render(true);
    const int pageColumn = ColumnOf(glitch);
    EXPECT_EQ(TraceRows(page, pageColumn, m.YToPixel(14000), m.YToPixel(2000), Qt::black),
              m.YToPixel(2000) - m.YToPixel(14000) + 1)
        << "black on the white page";
    view->setShowPeaks(false);
    const QImage plainPage = Render(true);
    EXPECT_EQ(TraceRows(plainPage, pageColumn, m.YToPixel(14000), m.YToPixel(2000) - 1), 0);
}

// Marker bits are no part of the plotted value: a glitch in them alone draws nothing, one that
// also changes the value spans to the value without them.
TEST_F(WeditVwTest, MarkerBitsStayOutOfThePeaks) {
    box->set(box->descr(), "WaveDown", "UseMarkBits", "yes");
    Show(std::size_t{1} << 20, 3000); // above the bit strips along the bottom
    view->setShowPeaks(true);
    const long bitsOnly = 300001, withValue = 700001;
    test::Put(doc->samples(), bitsOnly, 3000 + 0x1000);
    test::Put(doc->samples(), withValue, 0x2000 + 4000);
    const QImage image = Render();
    const PlotMapping& m = view->mapping();
    const int base = m.YToPixel(3000), top = m.YToPixel(4000);
    ASSERT_GT(base - top, 10);
    EXPECT_EQ(TraceRows(image, ColumnOf(bitsOnly), m.YToPixel(16383), base - 1), 0);
    EXPECT_EQ(TraceRows(image, ColumnOf(withValue), top, base), base - top + 1);
    EXPECT_EQ(TraceRows(image, ColumnOf(withValue), m.YToPixel(16383), top - 1), 0)
        << "not up to the value with its bits";
}

TEST_F(WeditVwTest, FmAbstractModeDrawsThePeaksThroughTheSecondMapping) {
    box.reset();
    box = std::make_unique<test::Sandbox>(kFmComposer);
    composer = std::make_unique<QuietFmComposer>(box->session());
    Show(std::size_t{1} << 20, 300000000);
    // The first mapping's range, which the abstract trace does not use.
    doc->FrameValues(250000000, 350000000);
    view->setShowPeaks(true);
    const long glitch = 500001;
    test::Put(doc->samples(), glitch, 800000000);
    const QImage image = Render();
    const PlotMapping& m = view->mapping();
    ASSERT_TRUE(m.fmAbstract);
    const int base = m.Y2ToPixel(300000000), top = m.Y2ToPixel(800000000);
    EXPECT_EQ(TraceRows(image, ColumnOf(glitch), top, base), base - top + 1);
}

} // namespace
} // namespace tw
