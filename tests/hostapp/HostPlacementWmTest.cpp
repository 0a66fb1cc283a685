#include "app/qt/AppProfile.h"
#include "app/qt/ScreenFit.h"
#include "host/qt/QtHostLink.h"
#include "hostapp/qt/HostWindow.h"
#include "support/Sandbox.h"
#include "support/wm/WindowManager.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScreen>

#include <gtest/gtest.h>

namespace tw {
namespace {

constexpr const char* kInstruments = TW_SOURCE_DIR "/data/instrument";

HostSetup SetupIn(const test::Sandbox& box) {
    return {box.root(), kInstruments, "tidewright", "tidewright-awg-sim"};
}

// The host opens again with the instrument, resource and placement it was closed with; a
// placement remembered from a larger screen or another arrangement is pulled back onto this one,
// frame and all.
TEST(HostPlacement, TheHostRemembersItsInstrumentResourceAndPlaceWithinTheScreen) {
    TW_REQUIRE_WINDOW_MANAGER();
    test::Sandbox box(0, false);
    QtHostLink link(box.session());
    QRect placed;
    {
        HostWindow host(link, SetupIn(box));
        host.instrumentBox()->setCurrentText("TW3256");
        host.resourceBox()->setText("tcp://127.0.0.1:5025");
        host.show();
        ASSERT_TRUE(test::WaitFramed(host));
        host.move(host.pos() + QPoint(40, 30));
        ASSERT_TRUE(test::WaitFramed(host));
        placed = host.geometry();
        host.close();
    }
    HostWindow again(link, SetupIn(box));
    again.show();
    ASSERT_TRUE(test::WaitFramed(again));
    EXPECT_EQ(again.instrumentBox()->currentText(), "TW3256");
    EXPECT_EQ(again.resourceBox()->text(), "tcp://127.0.0.1:5025");
    EXPECT_EQ(again.geometry(), placed);

    for (const QRect stored :
         {QRect(3000, -200, 900, 600), QRect(-900, 400, 800, 1300), QRect(0, 0, 5000, 4000)}) {
        SCOPED_TRACE(stored.x());
        {
            QWidget shape; // a saved geometry as a larger screen left it
            shape.setGeometry(stored);
            OpenAppProfile()->setValue("Host/Geometry", shape.saveGeometry());
        }
        HostWindow host(link, SetupIn(box));
        host.show();
        ASSERT_TRUE(test::WaitFramed(host));
        const QRect frame = WindowFrame(host);
        EXPECT_TRUE(host.screen()->availableGeometry().contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    }
}

} // namespace
} // namespace tw
