#include "document/qt/ChannelDialog.h"
#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

template <typename Act> void WhenShown(Act act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<ChannelDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

QPushButton* Button(ChannelDialog& d, QDialogButtonBox::StandardButton which) {
    return d.findChild<QDialogButtonBox*>()->button(which);
}

// One entry per channel, the first chosen on first use; OK stores the choice, Cancel nothing.
TEST(ChannelDialogTest, OkStoresTheChosenChannelAndCancelAbandons) {
    test::Sandbox box;
    WhenShown([](ChannelDialog& d) {
        EXPECT_EQ(d.channelBox()->count(), 3);
        EXPECT_EQ(d.channelBox()->currentIndex(), 0);
        EXPECT_EQ(d.alwaysBox()->text(), "Always use selected option ");
        d.channelBox()->setCurrentIndex(2);
        Button(d, QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(AskChannel(box.session(), 3, DialogChannelAsker(nullptr)), 2);
    EXPECT_EQ(box.get(box.session().generalIni, "StartUp", "WavChannel"), "2");
    EXPECT_EQ(box.get(box.session().generalIni, "StartUp", "askChanDlg"), "0");
    WhenShown([](ChannelDialog& d) {
        EXPECT_EQ(d.channelBox()->currentIndex(), 2);
        Button(d, QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(AskChannel(box.session(), 3, DialogChannelAsker(nullptr)), std::nullopt);
}

} // namespace
} // namespace tw
