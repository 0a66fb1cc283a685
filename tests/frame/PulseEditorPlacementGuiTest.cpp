#include "app/LaunchState.h"
#include "app/Startup.h"
#include "app/qt/AppProfile.h"
#include "frame/MainFrame.h"
#include "pulse/qt/PulseEditorDialog.h"
#include "support/Sandbox.h"

#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

void StorePlacement(QRect r) {
    OpenAppProfile()->setValue(
        "Settings/FmRect",
        QString::asprintf("%04d %04d %04d %04d", r.left(), r.top(), r.right() + 1, r.bottom() + 1));
}

struct PulseRun {
    // The frame opens where its stored placement says.
    PulseRun(const LaunchState& session, QRect placement)
        : frame(session, (StorePlacement(placement), kPulseResources)) {
        frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
        editor = frame.findChild<PulseEditorDialog*>();
        EXPECT_TRUE(editor && QTest::qWaitFor([this] { return editor->isVisible(); }, 2000));
    }
    // The menu and bars: the frame above its central widget.
    QRect barsArea() const {
        const QRect f = frame.frameGeometry();
        return QRect(f.topLeft(),
                     QPoint(f.right(), frame.centralWidget()->mapToGlobal(QPoint(0, 0)).y() - 1));
    }
    MainFrame frame;
    PulseEditorDialog* editor = nullptr;
};

// The editor is placed again as the bars settle, on a timer that a busy machine runs late: what
// counts is where it comes to rest.
template <class Placed> bool Rests(Placed placed) {
    return QTest::qWaitFor(placed, 3000);
}

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(PulseEditorPlacement, OpensBesideTheMainWindowClearOfItsMenuAndBars) {
    test::Sandbox box(kPulseComposer);
    box.set(box.session().generalIni, "DrawRect", "minTDrct", "300 300"); // room beside it
    const QRect screen = Screen();
    {
        PulseRun run(box.session(),
                     QRect(screen.left(), screen.top() + 30, screen.width() / 3, 400));
        EXPECT_TRUE(Rests([&] {
            return run.editor->frameGeometry().left() >= run.frame.frameGeometry().right();
        })) << run.editor->frameGeometry().left()
            << " beside " << run.frame.frameGeometry().right();
        EXPECT_TRUE(screen.contains(run.editor->frameGeometry()));
        run.frame.grab().save(QString(TW_BINARY_DIR) + "/PulseEditorPlacement-main.png");
    }
    box.set(box.session().generalIni, "DrawRect", "PulsCompDlg", "");
    PulseRun full(box.session(), screen.adjusted(0, 0, 0, -40));
    const auto clear = [&] { return !full.editor->frameGeometry().intersects(full.barsArea()); };
    EXPECT_TRUE(Rests(clear));
    EXPECT_TRUE(screen.contains(full.editor->frameGeometry()));
    // A window manager moving it onto the bars while the windows settle: it goes back.
    QTest::qWait(300);
    full.editor->move(full.editor->x(), full.frame.geometry().top());
    EXPECT_TRUE(Rests(clear));
}

TEST(PulseEditorPlacement, RemembersItsPlaceHeldOnTheScreen) {
    test::Sandbox box(kPulseComposer);
    const QRect screen = Screen();
    {
        PulseRun run(box.session(),
                     QRect(screen.left(), screen.top() + 30, screen.width() / 3, 400));
        run.editor->setGeometry(screen.left() + 37, screen.top() + 41, 500, 450);
    } // the editor is still shown when the frame closes
    EXPECT_EQ(box.get(box.session().generalIni, "DrawRect", "PulsCompDlg"),
              QString("%1 %2 %3 %4")
                  .arg(screen.left() + 37)
                  .arg(screen.top() + 41)
                  .arg(screen.left() + 536)
                  .arg(screen.top() + 490)
                  .toStdString());
    {
        PulseRun run(box.session(),
                     QRect(screen.left(), screen.top() + 30, screen.width() / 3, 400));
        EXPECT_EQ(run.editor->geometry(), QRect(screen.left() + 37, screen.top() + 41, 500, 450));
    }
    box.set(box.session().generalIni, "DrawRect", "PulsCompDlg", "90000 90000 90499 90449");
    PulseRun run(box.session(), QRect(screen.left(), screen.top() + 30, screen.width() / 3, 400));
    EXPECT_TRUE(screen.contains(run.editor->geometry()));
    EXPECT_EQ(run.editor->size(), QSize(500, 450));
}

} // namespace
} // namespace tw
