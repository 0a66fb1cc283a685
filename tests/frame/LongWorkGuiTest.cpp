// A long operation started from the window shows the progress dialog, and its Cancel stops it.
#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/Startup.h"
#include "document/WeDoc.h"
#include "frame/MainFrame.h"
#include "frame/QtWaveFrame.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Enough comma-delimited text to take well over the dialog's delay.
constexpr std::size_t kPoints = 40'000'000;

TEST(LongWork, SaveAsShowsTheProgressDialogAndItsCancelWritesNothing) {
    test::Sandbox box;
    MainFrame frame(box.session(), kStandardResources);
    QtWaveFrame wave(frame, frame.composer());
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    WeDoc& doc = wave.document();
    doc.samples().Assign(kPoints, 1234);
    ASSERT_TRUE(doc.CommitEdit());

    const QString name = QString::fromStdString(box.root() + "/big");
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters().at(2)); // comma-delimited
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        static_cast<QDialog*>(dialog)->accept();
    });
    QString shownLabel;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&shownLabel] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                shownLabel = d->labelText();
                d->cancel();
            }
    });
    watch.start();
    frame.runCommand(kCmdSaveAs);
    watch.stop();
    EXPECT_EQ(shownLabel, "Saving big.csv...");
    EXPECT_FALSE(FileExists(box.root() + "/big.csv")) << "cancelled before its rename";
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
}

} // namespace
} // namespace tw
