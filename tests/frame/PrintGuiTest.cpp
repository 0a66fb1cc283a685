#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/Startup.h"
#include "frame/MainFrame.h"
#include "pulse/TrainBuilder.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QImage>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Runs `inside` on the modal dialog of type D the command opens, then closes it.
template <class D>
bool WhileOpen(MainFrame& f, int command, const std::function<void(D&)>& inside) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        inside(*dialog);
        dialog->accept();
    });
    poll.start(20);
    QTimer::singleShot(10000, [&] { // never hang the suite on a dialog that stays up
        if (auto* open = QApplication::activeModalWidget())
            open->close();
    });
    f.runCommand(command);
    return seen;
}

struct Preview {
    int pages = -1;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int darkPixels = 0;
};

Preview ShowPreview(MainFrame& f, const QString& shot) {
    Preview seen;
    EXPECT_TRUE(WhileOpen<QPrintPreviewDialog>(f, kCmdPrintPreview, [&](QPrintPreviewDialog& d) {
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
    MainFrame f(kStandardResources);
    f.resize(1024, 700);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (int id : {kCmdPrint, kCmdPrintPreview, kCmdPrintSetup})
        EXPECT_TRUE(f.action(id)->isEnabled()) << id;

    const Preview first = ShowPreview(f, "PrintPreview-standard.png");
    EXPECT_EQ(first.pages, 1);
    EXPECT_GT(first.darkPixels, 1000) << "the black plot area is on the page";

    // The platform's page setup where the system has a printer; our own paper dialog for PDF.
    EXPECT_TRUE(WhileOpen<QDialog>(f, kCmdPrintSetup, [](QDialog& d) {
        if (auto* native = qobject_cast<QPageSetupDialog*>(&d))
            native->printer()->setPageOrientation(QPageLayout::Landscape);
        else
            d.findChild<QRadioButton*>(QString(), Qt::FindChildrenRecursively)
                ->group()
                ->button(QPageLayout::Landscape)
                ->click();
    }));
    const Preview second = ShowPreview(f, "PrintPreview-landscape.png");
    EXPECT_EQ(second.orientation, QPageLayout::Landscape);
    EXPECT_EQ(second.pages, 1);
}

TEST(Printing, ThePulseTrainComposerPrintsItsTrain) {
    test::Sandbox box(kPulseComposer);
    test::WriteTrain({{kLinkFormat, 1, {{0, 1e-3}, {0.5, 2e-3}, {0, 1e-3}}}}, 1);
    MainFrame f(kPulseResources);
    f.resize(1024, 700);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const Preview preview = ShowPreview(f, "PrintPreview-pulse.png");
    EXPECT_EQ(preview.pages, 1);
    EXPECT_GT(preview.darkPixels, 1000);
}

} // namespace
} // namespace tw
