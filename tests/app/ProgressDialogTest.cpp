#include "app/qt/ProgressDialog.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(ProgressDialog, AppearsOnlyAfterItsDelayAndOnlyItsCancelStopsTheWork) {
    ProgressDialog slow(nullptr, "Working", 60000);
    EXPECT_TRUE(slow.advance(1, 10));
    EXPECT_FALSE(slow.shown()) << "a short operation shows nothing";

    ProgressDialog quick(nullptr, "Working", 0);
    ASSERT_TRUE(quick.advance(5, 10));
    ASSERT_TRUE(quick.shown());
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible())
            dialog = d;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->value(), 500);
    QTest::keyClick(dialog, Qt::Key_Return);
    EXPECT_TRUE(quick.advance(6, 10)) << "Return typed into the dialog does not cancel";
    QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_FALSE(quick.advance(7, 10));
    EXPECT_FALSE(quick.advance(8, 10)) << "cancelled stays cancelled";

    ProgressDialog escaped(nullptr, "Working", 0);
    ASSERT_TRUE(escaped.advance(1, 10));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible() && d != dialog)
            QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_FALSE(escaped.advance(2, 10)) << "Escape cancels";
}

} // namespace
} // namespace tw
