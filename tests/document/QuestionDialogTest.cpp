// The dialogs that put an operation's questions to the user: what they show, and that OK stores
// the choice and Cancel abandons.
#include "app/LaunchState.h"
#include "document/WaveFormats.h"
#include "document/qt/ChannelDialog.h"
#include "document/qt/DimensionDialog.h"
#include "document/qt/DownloadOptionsDialog.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Once the modal dialog is up, lets act click in it.
template <typename Dialog, typename Act> void WhenShown(Act act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

void Press(QDialog& d, QDialogButtonBox::StandardButton which) {
    d.findChild<QDialogButtonBox*>()->button(which)->click();
}

std::string Stored(const test::Sandbox& box, const char* key) {
    return box.get(box.session().generalIni, "StartUp", key);
}

// The full-scale box sits below the original controls and is stored with them.
TEST(QuestionDialogTest, DimensionDialogStoresTheClickedChoicesAndShowsThemNextTime) {
    test::Sandbox box;
    WhenShown<DimensionDialog>([](DimensionDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Input Interpretation As...");
        EXPECT_TRUE(d.twoDimensional()->isChecked()); // first use
        EXPECT_EQ(d.alwaysBox()->text(), "Always use selected option ");
        EXPECT_FALSE(d.fullScaleBox()->isChecked());
        EXPECT_GT(d.fullScaleBox()->y(), d.alwaysBox()->y());
        d.oneDimensional()->click();
        d.fullScaleBox()->click();
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(AskDimension(box.session(), DialogDimensionAsker(nullptr)), 0);
    EXPECT_EQ(Stored(box, "Is2dim"), "0");
    EXPECT_EQ(Stored(box, "FullScale"), "1");
    EXPECT_TRUE(ImportContextForLaunch(box.session(), PointLayout::Int16, 0, 16383, 1, box.prompts)
                    .fullScale);
    WhenShown<DimensionDialog>([](DimensionDialog& d) {
        EXPECT_TRUE(d.oneDimensional()->isChecked());
        EXPECT_TRUE(d.fullScaleBox()->isChecked());
        d.alwaysBox()->click();
        Press(d, QDialogButtonBox::Ok);
    });
    AskDimension(box.session(), DialogDimensionAsker(nullptr));
    EXPECT_EQ(Stored(box, "askDimDlg"), "1");
}

// One entry per channel, the first chosen on first use.
TEST(QuestionDialogTest, ChannelDialogStoresTheChosenChannelAndCancelAbandons) {
    test::Sandbox box;
    WhenShown<ChannelDialog>([](ChannelDialog& d) {
        EXPECT_EQ(d.channelBox()->count(), 3);
        EXPECT_EQ(d.channelBox()->currentIndex(), 0);
        EXPECT_EQ(d.alwaysBox()->text(), "Always use selected option ");
        d.channelBox()->setCurrentIndex(2);
        Press(d, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(AskChannel(box.session(), 3, DialogChannelAsker(nullptr)), 2);
    EXPECT_EQ(Stored(box, "WavChannel"), "2");
    EXPECT_EQ(Stored(box, "askChanDlg"), "0");
    WhenShown<ChannelDialog>([](ChannelDialog& d) {
        EXPECT_EQ(d.channelBox()->currentIndex(), 2);
        Press(d, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(AskChannel(box.session(), 3, DialogChannelAsker(nullptr)), std::nullopt);
}

TEST(QuestionDialogTest, DownloadOptionsReturnTheChosenTraceTypeAndCancelNothing) {
    DownloadOptionsDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Download Options");
    EXPECT_EQ(dialog.choice(1)->text(), "Digital Bits B13/B14");
    EXPECT_EQ(dialog.chosenType(), 0);
    for (auto [type, press, answer] :
         {std::tuple{2, QDialogButtonBox::Ok, std::optional<int>(2)},
          std::tuple{1, QDialogButtonBox::Cancel, std::optional<int>()}}) {
        WhenShown<DownloadOptionsDialog>([type, press](DownloadOptionsDialog& d) {
            d.choice(type)->click();
            Press(d, press);
        });
        EXPECT_EQ(QtTraceTypeAsker().askTraceType(), answer);
    }
}

} // namespace
} // namespace tw
