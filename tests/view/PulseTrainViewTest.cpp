#include "view/qt/PulseTrainView.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tw {
namespace {

// 10 pixels per time unit, level 0 at row 50 and 10 pixels per volt upwards.
PlotMapping GridMapping() {
    PlotMapping m;
    m.xScale = 10;
    m.xOffset = 0;
    m.yScale = -10;
    m.yOffset = 50;
    return m;
}

TEST(PulseTrainView, DrawsEachLineWithItsPenAndTheMarker) {
    TrainTrace trace;
    trace.lines.push_back({TracePen::Plain, 0, {{0, 1}, {4, 1}}});
    trace.lines.push_back({TracePen::Repeat, 0, {{4, 1}, {4, -1}, {8, -1}}});
    trace.lines.push_back({TracePen::Emphasised, 1, {{8, 2}, {12, 2}}});
    trace.marker = TraceMarker{true, {12, 2}, {12, 2}};
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawPulseTrain(painter, GridMapping(), trace);
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 40), QColor(255, 255, 252));
    EXPECT_EQ(image.pixelColor(60, 60), QColor(179, 197, 107));
    EXPECT_EQ(image.pixelColor(100, 30), QColor(10, 185, 242));
    EXPECT_EQ(image.pixelColor(123, 30), QColor(Qt::red)); // the ring around (120, 30)
    EXPECT_EQ(image.pixelColor(20, 60), QColor(Qt::black));
}

} // namespace
} // namespace tw
