#include "document/qt/DimensionDialog.h"
#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Once the modal dialog is up, lets act click in it.
template <typename Act> void WhenShown(Act act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<DimensionDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

QPushButton* Button(DimensionDialog& d, QDialogButtonBox::StandardButton which) {
    return d.findChild<QDialogButtonBox*>()->button(which);
}

TEST(DimensionDialogTest, OkStoresTheClickedChoice) {
    test::Sandbox box;
    WhenShown([](DimensionDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Input Interpretation As...");
        EXPECT_TRUE(d.twoDimensional()->isChecked()); // first use
        EXPECT_EQ(d.alwaysBox()->text(), "Always use selected option ");
        d.oneDimensional()->click();
        d.alwaysBox()->click();
        Button(d, QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(AskDimension(DialogDimensionAsker(nullptr)), 0);
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "Is2dim"), "0");
    EXPECT_EQ(box.get(launch().generalIni, "StartUp", "askDimDlg"), "1");
}

} // namespace
} // namespace tw
