// The whole view, pixel for pixel, against images recorded in tests/data/view: the three
// composers at several sizes and zooms, on screen and on paper, with and without Show Peaks. Any
// change to the drawing of the frame, grid, scale texts, trace, peaks, shading, FM dots, bit
// strips or the pulse train shows here.
// Set TW_RECORD_PLOT_PIXELS=1 to record the images again after a change that is meant.
#include "pulse/TrainBuilder.h"
#include "support/SampleValues.h"
#include "view/qt/PulseTrainView.h"
#include "view/qt/WeditVw.h"

#include "app/LaunchState.h"
#include "document/Composer.h"
#include "document/WeDoc.h"
#include "fm/FmComposer.h"
#include "pulse/PulseComposer.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>

namespace tw {
namespace {

QString RecordedDir() {
    return QString(TW_TEST_DATA_DIR) + "/view";
}

bool Recording() {
    const char* record = std::getenv("TW_RECORD_PLOT_PIXELS");
    return record && *record == '1';
}

// The images hold text, so they match only where "Arial" resolves to the same font with the
// same advances as where they were recorded.
std::string FontPrint() {
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    std::string print = QFontInfo(font).family().toStdString();
    for (int pixels : {8, 11, 12, 14, 16}) {
        font.setPixelSize(pixels);
        const QFontMetrics m(font);
        print += " " + std::to_string(m.horizontalAdvance("23456 2.2345678 Pts Bit13")) + "/" +
                 std::to_string(m.height());
    }
    return print;
}

// The FM composer without its settings file: the channel set-up leaves the document alone.
struct QuietFmComposer : FmComposer {
    QuietFmComposer(const LaunchState& session, bool abstract,
                    std::vector<std::int32_t> markers = {})
        : FmComposer(session, abstract) {
        markers_.indices = std::move(markers);
    }
    bool SetUpChannel(WeDoc&) override { return true; }
    void ComputeMarkers(WeDoc&) override {}
};

// A wave with some of everything: a slow sine, a fast ripple and single-point spikes.
void FillWave(WeDoc& doc, std::size_t n, double amplitude, double centre) {
    doc.Allocate(n);
    doc.samples().Write(0, Samples::kLast, [&](SampleSpan points) {
        std::visit(
            [&](auto all) {
                using Sample = typename decltype(all)::value_type;
                for (std::size_t i = 0; i < n; ++i) {
                    const double t = static_cast<double>(i) / static_cast<double>(n);
                    double v = amplitude *
                               (0.6 * std::sin(6.2832 * 3 * t) + 0.2 * std::sin(6.2832 * 97 * t));
                    if (i % 331 == 17)
                        v = amplitude * 0.95;
                    all[i] = ToStored<Sample>(static_cast<std::int32_t>(centre + v));
                }
            },
            points);
    });
}

struct Scene {
    const char* name;
    int width, height;
    std::function<void(WeditVw&, WeDoc*)> setUp = {};
    bool printing = false;
};

class PlotPixelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Recording()) {
            QDir().mkpath(RecordedDir());
            std::ofstream(RecordedDir().toStdString() + "/fonts.txt") << FontPrint() << "\n";
            return;
        }
        std::ifstream in(RecordedDir().toStdString() + "/fonts.txt");
        std::string recorded;
        std::getline(in, recorded);
        if (recorded != FontPrint())
            GTEST_SKIP() << "the images were recorded with the font \"" << recorded
                         << "\"; here \"Arial\" is \"" << FontPrint() << "\"";
    }

    // Renders the view as the screen (or a page) gets it and compares it with the recorded
    // image, or records it.
    void Check(PlotView& view, const Scene& scene, const std::function<void()>& setUp = {}) {
        view.resize(scene.width, scene.height);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        if (setUp)
            setUp();
        QImage image(scene.width, scene.height, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            view.render(painter, image.rect(), scene.printing);
        }
        const QString file = RecordedDir() + "/" + scene.name + ".png";
        if (Recording()) {
            ASSERT_TRUE(image.save(file)) << file.toStdString();
            return;
        }
        const QImage recorded = QImage(file).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(recorded.isNull()) << "no recorded image " << file.toStdString();
        ASSERT_EQ(recorded.size(), image.size()) << scene.name;
        int differing = 0;
        QPoint first(-1, -1);
        QImage diff(image.size(), QImage::Format_RGB32);
        diff.fill(Qt::black);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != recorded.pixel(x, y)) {
                    if (differing++ == 0)
                        first = QPoint(x, y);
                    diff.setPixel(x, y, qRgb(255, 0, 0));
                }
        if (differing > 0) {
            const QString out = QString(TW_BINARY_DIR) + "/" + scene.name;
            image.save(out + "-actual.png");
            diff.save(out + "-diff.png");
        }
        EXPECT_EQ(differing, 0) << scene.name << ": first at (" << first.x() << ", " << first.y()
                                << "); see " << TW_BINARY_DIR << "/" << scene.name
                                << "-actual.png and -diff.png";
    }

    using MakeComposer = std::function<std::unique_ptr<Composer>(const LaunchState&)>;
    void CheckDocument(int composerId, const MakeComposer& make, const Scene& scene,
                       const std::function<void(WeDoc&)>& fill) {
        test::Sandbox box(composerId);
        if (std::string(scene.name).find("bits") != std::string::npos)
            box.set(box.descr(), "WaveDown", "UseMarkBits", "yes");
        if (std::string(scene.name).find("types") != std::string::npos)
            box.set(box.descr(), "ParmLst", "TracType", "yes");
        const std::unique_ptr<Composer> made = make(box.session());
        Composer& composer = *made;
        WeDoc doc(composer, box.prompts);
        fill(doc);
        WeditVw view(composer, doc);
        Check(view, scene, [&] {
            view.resetRange();
            if (scene.setUp)
                scene.setUp(view, &doc);
        });
    }
};

std::unique_ptr<Composer> StandardComposer(const LaunchState& session) {
    return std::make_unique<Composer>(session);
}

void Anchors(WeditVw& view, long left, long right) {
    ASSERT_TRUE(view.enterAnchorValue(1, QString::number(right)));
    ASSERT_TRUE(view.enterAnchorValue(0, QString::number(left)));
}

TEST_F(PlotPixelsTest, StandardComposer) {
    const auto anchored = [](WeditVw& v, WeDoc*) { Anchors(v, 200, 800); };
    const auto zoomed = [](WeditVw& v, WeDoc*) {
        Anchors(v, 200, 800);
        v.zoomIn();
        Anchors(v, 300, 500);
    };
    const auto short1k = [](WeDoc& doc) { FillWave(doc, 1000, 7000, 0); };
    const auto long4M = [](WeDoc& doc) { FillWave(doc, std::size_t{1} << 22, 7000, 0); };
    // The single-point spikes that the one-sample-per-column trace passes over.
    const auto peaks = [](WeditVw& v, WeDoc*) { v.setShowPeaks(true); };
    // Marker bits in use (the strips and the masked trace) and trace types (the mask alone).
    const auto withBits = [](WeDoc& doc) {
        FillWave(doc, 2000, 3000, 8192);
        doc.FrameValues(0, 16383);
        test::Put(doc.samples(), 300, std::vector<std::int32_t>(200, 8192 + (1 << 12)));
        test::Put(doc.samples(), 900, std::vector<std::int32_t>(100, 8192 + (3 << 12)));
    };
    const struct {
        Scene scene;
        void (*fill)(WeDoc&);
    } scenes[] = {
        {{"standard-1k-1000x600", 1000, 600, anchored}, short1k},
        {{"standard-1k-zoomed-800x500", 800, 500, zoomed}, short1k},
        {{"standard-1k-narrow-300x200", 300, 200}, short1k},
        {{"standard-1k-print-2000x1400", 2000, 1400, anchored, true}, short1k},
        {{"standard-4M-1600x900", 1600, 900}, long4M},
        {{"standard-4M-peaks-1600x900", 1600, 900, peaks}, long4M},
        {{"standard-4M-peaks-print-2000x1400", 2000, 1400, peaks, true}, long4M},
        {{"standard-4M-zoomed-1200x700", 1200, 700,
          [](WeditVw& v, WeDoc*) { v.zoomTo(1000000, 1000999); }},
         long4M},
        {{"standard-bits-900x560", 900, 560, [](WeditVw& v, WeDoc*) { Anchors(v, 100, 1900); }},
         withBits},
        {{"standard-types-900x560", 900, 560}, withBits},
        {{"standard-bits-peaks-900x560", 900, 560, peaks}, withBits}, // the bits left out
    };
    for (const auto& [scene, fill] : scenes)
        CheckDocument(kStandardComposer, StandardComposer, scene, fill);
}

TEST_F(PlotPixelsTest, FmComposer) {
    const auto fill = [](WeDoc& doc) {
        doc.FrameValues(400000000, 600000000);
        FillWave(doc, 3000, 90000000, 500000000);
    };
    for (bool abstract : {false, true}) {
        const auto composer = [abstract](const LaunchState& session) -> std::unique_ptr<Composer> {
            return std::make_unique<QuietFmComposer>(session, abstract,
                                                     std::vector<std::int32_t>{0, 250, 1000, 2999});
        };
        const Scene screen{abstract ? "fm-abstract-1000x600" : "fm-1000x600", 1000, 600,
                           [](WeditVw& v, WeDoc*) { Anchors(v, 500, 2500); }};
        CheckDocument(kFmComposer, composer, screen, fill);
        const Scene page{
            abstract ? "fm-abstract-print-1600x1200" : "fm-print-1600x1200", 1600, 1200, {}, true};
        CheckDocument(kFmComposer, composer, page, fill);
    }
    // Abstract mode draws the peaks through the second mapping.
    const Scene peaks{"fm-abstract-peaks-1000x600", 1000, 600,
                      [](WeditVw& v, WeDoc*) { v.setShowPeaks(true); }};
    CheckDocument(
        kFmComposer,
        [](const LaunchState& session) -> std::unique_ptr<Composer> {
            return std::make_unique<QuietFmComposer>(session, true);
        },
        peaks, fill);
}

TEST_F(PlotPixelsTest, PulseComposer) {
    const Scene scenes[] = {
        {"pulse-1000x600", 1000, 600},
        {"pulse-print-1600x1200", 1600, 1200, {}, true},
    };
    for (const Scene& scene : scenes) {
        test::Sandbox box(kPulseComposer);
        test::WriteTrain(box.session(),
                         {{kLinkFormat, 1, {{0, 1e-3}, {0.5, 2e-3}, {0, 1e-3}}},
                          {kLinkFormat, 3, {{0.2, 1e-3}, {-0.3, 1e-3}}}},
                         1);
        PulseComposer composer{box.session(), box.prompts};
        PulseTrainView view(composer);
        Check(view, scene);
    }
    test::Sandbox empty(kPulseComposer);
    test::WriteTrain(empty.session(), {}, 1);
    PulseComposer composer{empty.session(), empty.prompts};
    PulseTrainView view(composer);
    Check(view, {"pulse-empty-640x400", 640, 400});
}

// The pens are in the recorded pulse-train images; the marker is not.
TEST(PulseTrainView, DrawsTheMarker) {
    PlotMapping m; // 10 pixels per time unit, level 0 at row 50 and 10 pixels per volt upwards
    m.xScale = 10;
    m.xOffset = 0;
    m.yScale = -10;
    m.yOffset = 50;
    TrainTrace trace;
    trace.lines.push_back({TracePen::Plain, 0, {{0, 1}, {4, 1}}});
    trace.marker = TraceMarker{true, {12, 2}, {12, 2}};
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawPulseTrain(painter, m, trace);
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 40), QColor(255, 255, 252));
    EXPECT_EQ(image.pixelColor(123, 30), QColor(Qt::red)); // the ring around (120, 30)
    EXPECT_EQ(image.pixelColor(20, 60), QColor(Qt::black));
}

} // namespace
} // namespace tw
