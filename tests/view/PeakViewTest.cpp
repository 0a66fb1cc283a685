// Show Peaks: a single-point glitch in a long wave seen whole, which the one-sample-per-column
// trace passes over, is drawn in full, on screen and on paper; marker bits stay out of it and
// FM abstract mode maps it through the second mapping.
#include "support/SampleValues.h"
#include "view/qt/WeditVw.h"

#include "app/LaunchState.h"
#include "document/Composer.h"
#include "document/WeDoc.h"
#include "fm/FmComposer.h"
#include "support/Sandbox.h"

#include <QImage>
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

class PeakViewTest : public ::testing::Test {
  protected:
    std::unique_ptr<test::Sandbox> box = std::make_unique<test::Sandbox>();
    std::unique_ptr<Composer> composer = std::make_unique<Composer>(box->session());
    std::unique_ptr<WeDoc> doc;
    std::unique_ptr<WeditVw> view;

    void Show(std::size_t points, std::int32_t value) {
        doc = std::make_unique<WeDoc>(*composer, box->prompts);
        doc->Allocate(points);
        test::Fill(doc->samples(), value);
        view = std::make_unique<WeditVw>(*composer, *doc);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->resetRange();
    }
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

TEST_F(PeakViewTest, ASinglePointGlitchInA16MPointWaveShowsOnScreenAndOnPaper) {
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
TEST_F(PeakViewTest, MarkerBitsStayOutOfThePeaks) {
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

TEST_F(PeakViewTest, FmAbstractModeDrawsThePeaksThroughTheSecondMapping) {
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
