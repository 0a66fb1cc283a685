#include "document/qt/DimensionDialog.h"
#include "app/LaunchState.h"
#include "document/WaveFormats.h"
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

// OK stores the clicked choices, the full-scale box (below the original controls) with them.
TEST(DimensionDialogTest, OkStoresTheClickedChoicesAndTheyAreShownNextTime) {
    test::Sandbox box;
    WhenShown([](DimensionDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Input Interpretation As...");
        EXPECT_TRUE(d.twoDimensional()->isChecked()); // first use
        EXPECT_EQ(d.alwaysBox()->text(), "Always use selected option ");
        EXPECT_FALSE(d.fullScaleBox()->isChecked());
        EXPECT_GT(d.fullScaleBox()->y(), d.alwaysBox()->y());
        d.oneDimensional()->click();
        d.fullScaleBox()->click();
        Button(d, QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(AskDimension(box.session(), DialogDimensionAsker(nullptr)), 0);
    EXPECT_EQ(box.get(box.session().generalIni, "StartUp", "Is2dim"), "0");
    EXPECT_EQ(box.get(box.session().generalIni, "StartUp", "FullScale"), "1");
    EXPECT_TRUE(ImportContextForLaunch(box.session(), PointLayout::Int16, 0, 16383, 1, box.prompts)
                    .fullScale);
    WhenShown([](DimensionDialog& d) {
        EXPECT_TRUE(d.oneDimensional()->isChecked());
        EXPECT_TRUE(d.fullScaleBox()->isChecked());
        d.alwaysBox()->click();
        Button(d, QDialogButtonBox::Ok)->click();
    });
    AskDimension(box.session(), DialogDimensionAsker(nullptr));
    EXPECT_EQ(box.get(box.session().generalIni, "StartUp", "askDimDlg"), "1");
}

} // namespace
} // namespace tw
