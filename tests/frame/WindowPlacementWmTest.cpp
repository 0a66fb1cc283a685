// Windows on a managed screen: every top-level window lies with its frame inside the screen's
// available area, at 1024x700 and at twice the scale on 1920x1080.
#include "FrameTestSupport.h"

#include "app/Commands.h"
#include "app/qt/AppProfile.h"
#include "app/qt/ScreenFit.h"
#include "document/qt/WaveFileDialog.h"
#include "frame/AboutBox.h"
#include "frame/FrameBars.h"
#include "pulse/qt/PulseEditorDialog.h"
#include "support/Sandbox.h"
#include "support/wm/WindowManager.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

namespace tw {
namespace {

std::string Text(const QRect& r) {
    return QString("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

void ExpectOnScreen(QWidget& window, const char* what) {
    ASSERT_TRUE(test::WaitFramed(window)) << what;
    const QRect area = window.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(WindowFrame(window)))
        << what << ": " << Text(WindowFrame(window)) << " on " << Text(area) << ", at least "
        << window.minimumSize().width() << "x" << window.minimumSize().height() << " / "
        << window.minimumSizeHint().width() << "x" << window.minimumSizeHint().height();
}

TEST(WindowsOnScreen, EveryComposerOpensWithItsFrameOnTheScreen) {
    TW_REQUIRE_WINDOW_MANAGER();
    for (int composer : {kStandardComposer, kFmComposer, kPulseComposer}) {
        SCOPED_TRACE(composer);
        test::Sandbox box(composer);
        box.set(box.exchange(), "Instrument", "Channels", "4");
        MainFrame frame(box.session(), test::ResourcesOf(composer));
        frame.resize(1024, 700); // as the program opens it
        frame.show();
        ExpectOnScreen(frame, "main window");
        EXPECT_GT(WindowFrame(frame).height(), frame.height()) << "openbox framed it";

        AboutBox about(box.session().appName, &frame);
        about.show();
        ExpectOnScreen(about, "About box");
        about.close();

        if (composer != kPulseComposer)
            continue;
        auto* editor = frame.findChild<PulseEditorDialog*>();
        ASSERT_TRUE(editor && QTest::qWaitFor([editor] { return editor->isVisible(); }));
        ExpectOnScreen(*editor, "Pulse Editor");
        QToolBar* instrument = frame.bars()->bar(FrameBars::kInstrumentBand);
        const auto buttonAt = [instrument](QAction* a) {
            QWidget* button = instrument->widgetForAction(a);
            return QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
        };
        // The editor follows the bars while the main window is fitted on the screen; the bars
        // may wrap anew just before this point, so what counts is where it comes to rest (the
        // checks below say what it covers if it never does).
        (void)QTest::qWaitFor(
            [&] {
                const QList<QAction*> actions = instrument->actions();
                return std::none_of(actions.begin(), actions.end(), [&](QAction* a) {
                    return WindowFrame(*editor).intersects(buttonAt(a));
                });
            },
            kWindowFitMs + 3000);
        for (QAction* a : instrument->actions()) {
            const QRect at = buttonAt(a);
            EXPECT_FALSE(WindowFrame(*editor).intersects(at))
                << "the editor (" << Text(WindowFrame(*editor)) << ") covers "
                << a->toolTip().toStdString() << " (" << Text(at) << ") under the frame at "
                << Text(WindowFrame(frame));
        }
    }
}

TEST(WindowsOnScreen, RememberedPlacementsOffTheScreenArePulledBack) {
    TW_REQUIRE_WINDOW_MANAGER();
    for (const char* stored :
         {"3000 -200 4000 0600", "-900 0400 0100 1300", "0000 0000 5000 4000"}) {
        SCOPED_TRACE(stored);
        test::Sandbox box;
        OpenAppProfile()->setValue("Settings/Rect", stored);
        MainFrame frame(box.session(), kStandardResources);
        frame.show();
        ExpectOnScreen(frame, "main window");
    }
}

// The Open dialog shows its name, size, type and date columns whole, on the screen.
TEST(WindowsOnScreen, TheOpenDialogShowsEveryColumn) {
    TW_REQUIRE_WINDOW_MANAGER();
    test::Sandbox box;
    MainFrame frame(box.session(), kStandardResources);
    frame.show();
    ASSERT_TRUE(test::WaitFramed(frame));
    FileDialogMemory memory;
    const auto open = [&] {
        EXPECT_TRUE(
            ChooseWaveFile(&frame, DialogKind::Open, "", memory, box.session()).path.empty());
    };
    EXPECT_TRUE(test::WhileModal<QFileDialog>(open, [](QFileDialog& dialog) {
        ExpectOnScreen(dialog, "Open dialog");
        auto* tree = dialog.findChild<QTreeView*>("treeView");
        ASSERT_TRUE(tree && tree->isVisible()) << "the detail view";
        const QHeaderView* header = tree->header();
        ASSERT_EQ(header->count(), 4);
        for (int column = 0; column < header->count(); ++column) {
            SCOPED_TRACE(column);
            EXPECT_FALSE(header->isSectionHidden(column));
            const QString title =
                tree->model()->headerData(column, Qt::Horizontal).toString() + "MM";
            EXPECT_GE(header->sectionSize(column), header->fontMetrics().horizontalAdvance(title));
            EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                      tree->viewport()->width());
        }
    }));
}

} // namespace
} // namespace tw
