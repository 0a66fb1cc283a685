#include "support/SampleValues.h"
#include "view/qt/WeditVw.h"

#include "app/FileUtil.h"
#include "app/Startup.h"
#include "document/Composer.h"
#include "document/SegmentTables.h"
#include "document/WeDoc.h"
#include "host/WindowTitle.h"
#include "support/Sandbox.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

namespace tw {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kTrace(255, 255, 240);
const QColor kShade(29, 29, 9);
const QColor kTraceShaded(255 ^ 29, 255 ^ 29, 240 ^ 9);

class WeditVwTest : public ::testing::Test {
  protected:
    test::Sandbox box;
    Composer composer{box.session()};
    std::unique_ptr<WeDoc> doc;
    std::unique_ptr<WeditVw> view;

    void SetUp() override {
        doc = std::make_unique<WeDoc>(composer, box.prompts);
        LoadActiveSegment(*doc);
        doc->Allocate(1000);
        doc->SetPathName(doc->ActiveWorkingFile(), false);
        doc->WriteWorkingFile();
        view = std::make_unique<WeditVw>(composer, *doc);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->resetRange();
    }
    const PlotMapping& m() const { return view->mapping(); }
    QImage render() const { return view->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(WeditVwTest, RendersFillTraceAndShadingOutsideTheAnchors) {
    for (int i = 50; i <= 150; ++i)
        test::Put(doc->samples(), i, 4000);
    for (int i = 400; i <= 600; ++i)
        test::Put(doc->samples(), i, 12000);
    for (int i = 690; i <= 710; ++i)
        test::Put(doc->samples(), i, 30000); // far above the plot's range
    ASSERT_TRUE(view->enterAnchorValue(0, "200"));
    ASSERT_TRUE(view->enterAnchorValue(1, "800"));
    const QImage image = render();
    image.save(QString(TW_BINARY_DIR) + "/view-render.png");
    const PlotRect& r = view->plot();
    ASSERT_GT(r.width(), 600);
    const int inside = m().XToPixel(300) + 3;
    EXPECT_EQ(image.pixelColor(inside, r.top + 5), kBlack);
    EXPECT_EQ(image.pixelColor(m().XToPixel(450), m().YToPixel(12000)), kTrace);
    EXPECT_EQ(image.pixelColor(m().XToPixel(700), r.top), kTrace); // clamped onto the top edge
    EXPECT_EQ(image.pixelColor(r.left + 5, r.top + 5), kShade);
    EXPECT_EQ(image.pixelColor(m().XToPixel(930), r.bottom - 5), kShade); // off the grid
    EXPECT_EQ(image.pixelColor(m().XToPixel(100), m().YToPixel(4000)), kTraceShaded);
    // Outside the plot the view is white.
    EXPECT_EQ(image.pixelColor(r.right + 8, r.top + 20), QColor(Qt::white));

    // Anchors on the visible range's ends cast no shading.
    view->unmark();
    EXPECT_EQ(render().pixelColor(r.left + 5, r.top + 5), kBlack);
}

TEST_F(WeditVwTest, AutolineClicksWriteTheSegmentsAndTheRightButtonCommits) {
    const std::vector<std::int32_t> before = test::Values(doc->samples());
    view->startAutoline();
    ASSERT_EQ(view->tools().mode(), DrawingTools::Mode::Autoline);
    EXPECT_FALSE(view->tools().toolsAllowed());
    const QPoint a(m().XToPixel(100), m().YToPixel(2000));
    const QPoint b(m().XToPixel(300), m().YToPixel(10000));
    const QPoint c(m().XToPixel(400), m().YToPixel(5000));
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, a);
    EXPECT_EQ(test::Values(doc->samples()), before); // the first click only places the vertex
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, b);
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, c);
    const long ia = m().PixelToIndex(a.x()), ib = m().PixelToIndex(b.x()),
               ic = m().PixelToIndex(c.x());
    EXPECT_EQ(doc->samples().at(ia), m().PixelToValue(a.y()));
    EXPECT_EQ(doc->samples().at(ib), m().PixelToValue(b.y()));
    EXPECT_EQ(doc->samples().at(ic), m().PixelToValue(c.y()));
    for (long i = ia; i < ib; ++i)
        EXPECT_LE(doc->samples().at(i), doc->samples().at(i + 1)) << i; // the rising segment
    for (long i = ib; i < ic; ++i)
        EXPECT_GE(doc->samples().at(i), doc->samples().at(i + 1)) << i;
    EXPECT_EQ(doc->samples().at(ia - 1), 0);
    EXPECT_EQ(doc->samples().at(ic + 1), 0);

    QTest::mouseClick(view.get(), Qt::RightButton, {}, c);
    EXPECT_FALSE(view->tools().active());
    EXPECT_TRUE(view->tools().toolsAllowed());
    // Committed: the working file holds the new points, the undo copy the old ones.
    const std::string bytes = ReadWholeFile(doc->ActiveWorkingFile()).value_or("");
    ASSERT_EQ(bytes.size(), 2000u);
    std::int16_t written = 0;
    std::memcpy(&written, bytes.data() + 2 * ib, 2);
    EXPECT_EQ(written, doc->samples().at(ib));
    EXPECT_TRUE(doc->CanUndo());
}

// Counts the document's commits: each one makes the working file the path name with a recent
// entry, once.
struct CommitCounter : WeDocListener {
    int commits = 0;
    void pathNameChanged(const std::string&, bool addRecent) override { commits += addRecent; }
};

TEST_F(WeditVwTest, ASketchDragWritesAsItMovesAndCommitsOnceAtTheEnd) {
    CommitCounter seen;
    doc->setListener(&seen);
    const std::string before = ReadWholeFile(doc->ActiveWorkingFile()).value_or("");
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
    EXPECT_EQ(seen.commits, 0);
    EXPECT_EQ(ReadWholeFile(doc->ActiveWorkingFile()), before) << "written at the end only";
    QTest::mouseClick(view.get(), Qt::RightButton, {}, at);
    EXPECT_EQ(seen.commits, 1);
    EXPECT_FALSE(doc->samples().pending());
    const std::string bytes = ReadWholeFile(doc->ActiveWorkingFile()).value_or("");
    ASSERT_EQ(bytes.size(), 2000u);
    std::int16_t written = 0;
    const long last = m().PixelToIndex(at.x());
    std::memcpy(&written, bytes.data() + 2 * last, 2);
    EXPECT_EQ(written, m().PixelToValue(at.y()));
    EXPECT_TRUE(doc->CanUndo());
    doc->setListener(nullptr);
}

TEST_F(WeditVwTest, AnchorDragStopsBeforeTheOtherHandleAndAtTheRangeStart) {
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

TEST_F(WeditVwTest, ZoomInThenOutRestoresTheRangeAndKeepsTheAnchors) {
    EXPECT_FALSE(view->canZoomIn());
    ASSERT_TRUE(view->enterAnchorValue(0, "200"));
    ASSERT_TRUE(view->enterAnchorValue(1, "800"));
    view->zoomIn();
    EXPECT_EQ(m().xmin, 200);
    EXPECT_EQ(m().xmax, 800);
    EXPECT_TRUE(view->mapWindow()->isVisible());
    EXPECT_FALSE(view->canZoomIn());
    render().save(QString(TW_BINARY_DIR) + "/view-zoomed.png");
    view->zoomOut();
    EXPECT_EQ(m().xmin, 0);
    EXPECT_EQ(m().xmax, 999);
    EXPECT_EQ(view->anchors().L(), 200);
    EXPECT_EQ(view->anchors().R(), 800);
    EXPECT_FALSE(view->mapWindow()->isVisible());
    EXPECT_FALSE(view->canZoomOut());
}

TEST_F(WeditVwTest, RefusedAnchorValueShowsBadThenPutsTheTextBack) {
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

// The title, also as published to the host, names the file that holds the segment: the working
// file after an edit, the chosen file after Open, the user's file after a binary Save As.
TEST_F(WeditVwTest, TitleNamesTheDocumentsPathShortened) {
    auto published = [&] {
        render();
        return box.get(box.exchange(), "AppTits", "TD");
    };
    EXPECT_EQ(published(), "Tidewright -> " + ShortPathForTitle(doc->ActiveWorkingFile()));
    const std::string asc = box.write("waves/tri.asc", "1 2 3 4");
    ASSERT_TRUE(doc->Open({asc, 1}));
    EXPECT_EQ(published(), "Tidewright -> /.../tri.asc");
    view->resetRange();
    ASSERT_TRUE(view->enterAnchorValue(0, "0"));
    ASSERT_TRUE(view->enterAnchorValue(1, "3"));
    view->invert();
    EXPECT_EQ(published(), "Tidewright -> /.../TemS1.wa0");
    ASSERT_TRUE(doc->SaveAs(box.root() + "/mine.wav", 0));
    EXPECT_EQ(published(), "Tidewright -> /.../mine.wav");
}

TEST_F(WeditVwTest, MarkedAreaCommandsEditOnlyTheAreaAndTrimsChangeTheLength) {
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
    ASSERT_TRUE(view->canTrimLeft());
    view->trimLeft();
    EXPECT_EQ(doc->wavelength(), 900);
    EXPECT_EQ(doc->samples().at(0), 0);
    EXPECT_EQ(doc->samples().at(100), 200);
    EXPECT_EQ(doc->samples().at(899), 999);
    EXPECT_FALSE(FileExists(doc->tmpFolder() + "AA.tmp"));
    ASSERT_TRUE(doc->Undo()); // back to the wave from before the trim
    EXPECT_EQ(doc->wavelength(), 1000);
    EXPECT_EQ(doc->samples().at(99), 99);
    view->resetRange();
    ASSERT_TRUE(view->enterAnchorValue(1, "499"));
    view->trimRight();
    EXPECT_EQ(doc->wavelength(), 500);
    EXPECT_FALSE(view->canTrimRight());
}

} // namespace
} // namespace tw
