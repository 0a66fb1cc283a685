#include "TrainBuilder.h"

#include "app/LaunchState.h"
#include "pulse/PulseComposer.h"
#include "pulse/qt/DownloadSummaryDialog.h"
#include "pulse/qt/PulseEditorDialog.h"
#include "pulse/qt/PulseOptionsDialog.h"
#include "pulse/qt/QtPulseWindows.h"
#include "support/Sandbox.h"
#include "support/gui/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

QString cell(const QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
}

// Double-clicks a cell, types over it and presses Enter, as a user would.
void typeInto(QTableView* table, int row, int column, const QString& text) {
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    QRect cell = table->visualRect(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits through a queued call
}

class PulseEditorDialogTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
};

// Cells are edited in place; a refused format puts the old one back.
TEST_F(PulseEditorDialogTest, CellsFormatAndRepeatReachTheEditor) {
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 2e-6}, {-1, 3e-6}}}});
    PulseComposer composer{box.session(), box.prompts};
    PulseEditorDialog dialog(composer);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableView* table = dialog.table();
    ASSERT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(dialog.windowTitle(), "Pulse Editor - Section 1   <DC Intervals>");

    auto* points = dialog.findChild<QRadioButton*>();
    for (auto* r : dialog.findChildren<QRadioButton*>())
        if (r->text() == "Time/Level Points")
            points = r;
    points->click(); // the format of a section that is not empty
    EXPECT_NE(box.prompts.lastText().find("empty section only"), std::string::npos);
    EXPECT_FALSE(points->isChecked());

    auto* repeat = dialog.findChildren<QLineEdit*>().first();
    repeat->setText("4");
    test::Button(dialog, "Apply")->click();
    EXPECT_EQ(box.get(box.exchange(), "Pulse0-ch1", "Repeat"), "4");
    bool durationShown = false;
    for (auto* l : dialog.findChildren<QLabel*>())
        durationShown |= l->text() == "20 us";
    EXPECT_TRUE(durationShown);

    typeInto(table, 0, 2, "4");
    EXPECT_EQ(cell(table, 0, 3), "4");
    EXPECT_EQ(cell(table, 1, 3), "7"); // the row below follows

    test::Button(dialog, "&Append")->click();
    EXPECT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(table->currentIndex().row(), 2);
    EXPECT_EQ(composer.editor.selectedRow, 2);
    EXPECT_TRUE(test::Button(dialog, "&Undo")->isEnabled());
}

// Records the status line each time the progress bar appears.
struct ProgressWatch : QObject {
    QWidget* dialog = nullptr;
    QStringList statusShown;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show)
            for (auto* l : dialog->findChildren<QLabel*>())
                if (l->text().startsWith("Opening"))
                    statusShown << l->text();
        return false;
    }
};

TEST_F(PulseEditorDialogTest, ALongSectionIsReadWithTheProgressBarRunning) {
    test::WriteTrain(box.session(),
                     {{kLinkFormat, 1, std::vector<test::BuiltRow>(300, {1, 1e-6})}});
    PulseComposer composer{box.session(), box.prompts};
    QWidget frame;
    QtPulseWindows windows(composer, &frame, {});
    composer.ShowEditor(true);
    auto* dialog = frame.findChild<PulseEditorDialog*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    auto* bar = dialog->findChild<QProgressBar*>();
    ProgressWatch watch;
    watch.dialog = dialog;
    bar->installEventFilter(&watch);

    composer.FullTrain(); // reads the section again
    EXPECT_EQ(watch.statusShown, QStringList{"Opening. Wait, please..."});
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(dialog->table()->model()->rowCount(), 300);
    for (auto* l : dialog->findChildren<QLabel*>())
        EXPECT_FALSE(l->text().startsWith("Opening")) << "the status line is cleared";
}

TEST_F(PulseEditorDialogTest, SummaryCannotBeAcceptedOverTheResources) {
    DownloadSummary s{"2.000", "0.000", "1e6", "16", "16384", "", "Arbitrary"};
    DownloadSummaryDialog over(s, "Attention: exceeds segment table resource(s)");
    EXPECT_FALSE(over.acceptButton()->isEnabled());
    EXPECT_FALSE(over.attentionLine()->isHidden());
    EXPECT_FALSE(over.stepsShown());
    s.waveformsMode = "Sequenced";
    DownloadSummaryDialog fine(s, "");
    EXPECT_TRUE(fine.acceptButton()->isEnabled());
    EXPECT_TRUE(fine.attentionLine()->isHidden());
    EXPECT_TRUE(fine.stepsShown());
    EXPECT_EQ(fine.windowTitle(), " Download Summary");
}

TEST_F(PulseEditorDialogTest, OptionsStayOpenOnAClockOutOfRange) {
    box.set(box.descr(), "ParmPnlName", "WformMode", "Arb");
    PulseLimits limits = LoadPulseLimits(box.session());
    PulseOptionsDialog dialog(box.session(), limits, 0);
    EXPECT_FALSE(dialog.modeButton(0)->isEnabled());
    EXPECT_TRUE(dialog.modeButton(1)->isChecked());
    EXPECT_FALSE(dialog.clockEdit()->isEnabled());
    dialog.forceBox()->click();
    EXPECT_TRUE(dialog.clockEdit()->isEnabled());
    dialog.clockEdit()->setText("1e12");
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    dialog.clockEdit()->setText("50e6");
    dialog.timeUnits()->setCurrentIndex(3);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "forceSclk"), "50e6");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "tmUnitInd"), "3");
}

} // namespace
} // namespace tw
