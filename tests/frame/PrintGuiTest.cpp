#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "frame/MainFrame.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QButtonGroup>
#include <QImage>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <vector>

#include <gtest/gtest.h>

namespace tw {
namespace {

struct Preview {
    int pages = -1;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int darkPixels = 0;
};

Preview ShowPreview(MainFrame& f, const QString& shot) {
    Preview seen;
    const auto preview = [&f] { f.runCommand(kCmdPrintPreview); };
    EXPECT_TRUE(test::WhileModal<QPrintPreviewDialog>(preview, [&](QPrintPreviewDialog& d) {
        auto* widget = d.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(widget, nullptr);
        d.resize(900, 700);
        widget->updatePreview();
        seen.pages = widget->pageCount();
        seen.orientation = d.printer()->pageLayout().orientation();
        const QImage image = d.grab().toImage();
        image.save(QString(TW_BINARY_DIR) + "/" + shot);
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                if (qGray(image.pixel(x, y)) < 16)
                    ++seen.darkPixels;
    }));
    return seen;
}

TEST(Printing, PreviewShowsThePlotsPageAndPageSetupHoldsForTheRun) {
    test::Sandbox box;
    MainFrame f(box.session(), kStandardResources);
    ASSERT_TRUE(test::ShowFrame(f));
    const Preview first = ShowPreview(f, "PrintPreview-standard.png");
    EXPECT_EQ(first.pages, 1);
    EXPECT_GT(first.darkPixels, 200) << "the black trace and texts are on the page";

    EXPECT_EQ(first.orientation, QPageLayout::Landscape) << "the default";
    const auto portrait = [](QDialog& d) {
        d.findChild<QRadioButton*>(QString(), Qt::FindChildrenRecursively)
            ->group()
            ->button(QPageLayout::Portrait)
            ->click();
        d.accept();
    };
    EXPECT_TRUE(test::WhileModal([&f] { f.runCommand(kCmdPrintSetup); }, portrait));
    const Preview second = ShowPreview(f, "PrintPreview-portrait.png");
    EXPECT_EQ(second.orientation, QPageLayout::Portrait);
    EXPECT_EQ(second.pages, 1);
}

struct Word {
    QRectF box;
    QString text;
};

// The words of a PDF page with their boxes in points, as pdftotext -bbox finds them.
std::vector<Word> PdfWords(const QString& pdf, QSizeF& page) {
    QProcess run;
    run.start("pdftotext", {"-bbox", pdf, "-"});
    run.waitForFinished(30000);
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    const QRegularExpression pageSize(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    if (const auto m = pageSize.match(html); m.hasMatch())
        page = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                         m.captured(5)});
    }
    return words;
}

TEST(Printing, APdfPageIsBlackOnWhiteWithTextsInPointsWithinTheMargins) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
        QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "needs poppler-utils";
    test::Sandbox box;
    MainFrame f(box.session(), kStandardResources);
    ASSERT_TRUE(test::ShowFrame(f));
    const QString pdf = QString::fromStdString(box.root()) + "/page.pdf";
    EXPECT_TRUE(test::WhileModal<QPrintDialog>(
        [&f] { f.runCommand(kCmdPrint); },
        [&](QPrintDialog& d) {
            d.printer()->setOutputFormat(QPrinter::PdfFormat);
            d.printer()->setOutputFileName(pdf);
            d.done(QDialog::Accepted); // as set here, not as the dialog's own fields say
        }));
    QSizeF page;
    const std::vector<Word> words = PdfWords(pdf, page);
    ASSERT_GT(page.width(), page.height()) << "landscape";
    ASSERT_GE(words.size(), 4u);
    const QRectF inside = QRectF(QPointF(0, 0), page).adjusted(28, 28, -28, -28); // 10 mm
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Word& w = words[i];
        const double height = w.box.height();
        SCOPED_TRACE(w.text.toStdString());
        EXPECT_TRUE(inside.contains(w.box));
        const bool title = w.box.top() < inside.top() + 20;
        EXPECT_GE(height, title ? 12 : 8);
        EXPECT_LE(height, title ? 15 : 12);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(w.box.intersects(words[j].box)) << words[j].text.toStdString();
    }

    QProcess render;
    render.start("pdftoppm", {"-r", "40", "-png", "-singlefile", pdf, pdf});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage image(pdf + ".png");
    ASSERT_FALSE(image.isNull());
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            white += qGray(image.pixel(x, y)) > 200;
    EXPECT_GT(white, image.width() * image.height() * 8 / 10) << "mostly white";
}

} // namespace
} // namespace tw
