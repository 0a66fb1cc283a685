// The wave's view: the tools, anchors and area commands it hands the mouse and keys. Its drawing
// is PlotPixelsTest's.
#include "support/SampleValues.h"
#include "view/qt/WeditVw.h"

#include "app/LaunchState.h"
#include "app/Startup.h"
#include "document/Composer.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "support/Sandbox.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

class WeditVwTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    Composer composer{box.session()};
    std::unique_ptr<WeDoc> doc;
    std::unique_ptr<WeditVw> view;

    // The active segment's working file, 1000 points at 0.
    void Show() {
        doc = std::make_unique<WeDoc>(composer, box.prompts);
        LoadActiveSegment(*doc);
        doc->Allocate(1000);
        test::Fill(doc->samples(), 0);
        doc->SetPathName(doc->ActiveWorkingFile(), false);
        doc->WriteWorkingFile();
        view = std::make_unique<WeditVw>(composer, *doc);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->resetRange();
    }
    const PlotMapping& m() const { return view->mapping(); }
};

// Counts the document's commits: each one makes the working file the path name with a recent
// entry, once.
struct CommitCounter : WeDocListener {
    int commits = 0;
    void pathNameChanged(const std::string&, bool addRecent) override { commits += addRecent; }
};

// The segments' points, Autoline's too, are DrawingToolsTest's; the view hands the tools the
// mouse, the points change as it goes, and the right button commits them once.
TEST_F(WeditVwTest, SketchWritesAsTheMouseGoesAndTheRightButtonCommits) {
    Show();
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

    doc->setListener(nullptr);
}

TEST_F(WeditVwTest, AnchorDragStopsBeforeTheOtherHandleAndAtTheRangeStart) {
    Show();
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
    EXPECT_EQ(box.get(box.exchange(), doc->waveParSection(), "Prv_bgn"), "0");
    EXPECT_EQ(box.get(box.exchange(), doc->waveParSection(), "Prv_end"), "600");
}

// The anchors' zoom itself is AnchorsTest's; the view adds the map window while zoomed in.
TEST_F(WeditVwTest, ZoomShowsTheMapWindowUntilZoomedOut) {
    Show();
    ASSERT_TRUE(view->enterAnchorValue(0, "200"));
    ASSERT_TRUE(view->enterAnchorValue(1, "800"));
    view->zoomIn();
    EXPECT_TRUE(view->mapWindow()->isVisible());
    // Drawn over the plot: its caption band in the map's own grey.
    const QPoint caption = view->mapWindow()->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(view->grab().toImage().pixelColor(caption), QColor(236, 239, 243));
    view->zoomOut();
    EXPECT_EQ(m().xmax, 999);
    EXPECT_FALSE(view->mapWindow()->isVisible());
}

TEST_F(WeditVwTest, RefusedAnchorValueShowsBadThenPutsTheTextBack) {
    Show();
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
    Show();
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
    EXPECT_EQ(doc->samples().at(200), 200);
    EXPECT_TRUE(doc->CanUndo());
    // The trims themselves are the document's (WeDocTest); the view hands them its anchors.
    ASSERT_TRUE(view->canTrimLeft());
    view->trimLeft();
    EXPECT_EQ(doc->wavelength(), 900);
    EXPECT_EQ(doc->samples().at(100), 200);
    ASSERT_TRUE(view->enterAnchorValue(1, "499"));
    view->trimRight();
    EXPECT_EQ(doc->wavelength(), 500);
    EXPECT_EQ(doc->samples().at(499), 599);
    EXPECT_FALSE(view->canTrimRight());
}

} // namespace
} // namespace tw
