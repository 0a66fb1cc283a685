#include "document/qt/DownloadOptionsDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Runs the asker while a timer plays the user: pick a choice, then press OK or Cancel.
std::optional<int> answerWith(int type, QDialogButtonBox::StandardButton press) {
    QTimer::singleShot(0, [type, press] {
        auto* dialog = qobject_cast<DownloadOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->choice(type)->click();
        dialog->findChild<QDialogButtonBox*>()->button(press)->click();
    });
    QtTraceTypeAsker asker;
    return asker.askTraceType();
}

TEST(DownloadOptionsDialog, OkReturnsTheChoiceAndCancelNothing) {
    DownloadOptionsDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Download Options");
    EXPECT_EQ(dialog.choice(1)->text(), "Digital Bits B13/B14");
    EXPECT_EQ(dialog.chosenType(), 0);
    EXPECT_EQ(answerWith(2, QDialogButtonBox::Ok), 2);
    EXPECT_EQ(answerWith(1, QDialogButtonBox::Cancel), std::nullopt);
}

} // namespace
} // namespace tw
