#include "ExprTestSupport.h"

#include "app/FileUtil.h"
#include "document/WaveFormats.h"
#include "expr/qt/EquationEditorDialog.h"
#include "generators/MemoryTarget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>

namespace tw {
namespace {

class EquationEditorDialogTest : public ::testing::Test {
  protected:
    test::ExprSandbox box;
    test::MemoryTarget doc{box.session(), box.prompts, 100, 7};
    EquationEditorDialogTest() { doc.waves = box.waves; }

    static QString cell(const QTableView* table, int row, int column) {
        return table->model()->index(row, column).data().toString();
    }
    static void type(QTableView* table, int row, int column, const QString& text) {
        table->model()->setData(table->model()->index(row, column), text);
    }
    template <class W> W* find(QWidget& dialog, const char* name) {
        return dialog.findChild<W*>(name);
    }
    void setFormula(QWidget& dialog, const QString& text) {
        find<QComboBox>(dialog, "formula")->setEditText(text);
    }
};

TEST_F(EquationEditorDialogTest, PreviewBackCancelAndAcceptReachTheModel) {
    auto dialog = std::make_unique<EquationEditorDialog>(doc);
    EXPECT_EQ(find<QComboBox>(*dialog, "formula")->currentText(), "amp*sin(1.5*omg*(p+500))");
    EXPECT_EQ(find<QLineEdit>(*dialog, "End (pts)")->text(), "99");
    find<QLineEdit>(*dialog, "Cycles")->setText("0");
    dialog->confirmPreview = [] { return false; };
    find<QPushButton>(*dialog, "Preview")->click();
    EXPECT_EQ(find<QLineEdit>(*dialog, "Cycles")->text(), "1") << "the refused field restored";

    setFormula(*dialog, "p");
    find<QLineEdit>(*dialog, "End (pts)")->setText("9");
    find<QPushButton>(*dialog, "Preview")->click();
    EXPECT_EQ(dialog->result(), 0) << "Back keeps the dialog open";
    EXPECT_EQ(doc.wave()[9], 9);
    find<QPushButton>(*dialog, "Cancel")->click();
    EXPECT_EQ(doc.wave(), std::vector<std::int32_t>(100, 7));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    dialog = std::make_unique<EquationEditorDialog>(doc);
    bool asked = false;
    dialog->confirmPreview = [&] { return asked = true; };
    setFormula(*dialog, "p*2");
    find<QPushButton>(*dialog, "Preview")->click();
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(doc.wave()[9], 7) << "Back moved the range on to 10 .. 99";
    EXPECT_EQ(doc.wave()[99], 178);
    EXPECT_EQ(doc.commits, 1);
    EXPECT_EQ(ReadWholeFile(doc.undoFile()),
              EncodeNativePoints(std::vector<std::int32_t>(100, 7), PointLayout::Int16))
        << "one Undo returns to the wave from before the preview";
}

TEST_F(EquationEditorDialogTest, AliasPanelShowsShortPathsAndEditsFullOnes) {
    box.wave("w.wav", std::vector<std::int16_t>(100, 4));
    EquationEditorDialog dialog(doc);
    auto* toggle = find<QPushButton>(dialog, "aliasToggle");
    EXPECT_EQ(toggle->text(), "Aliases >>");
    toggle->click();
    EXPECT_EQ(toggle->text(), "Aliases <<");

    const std::string full = "/data/waves/sub/w.wav*2";
    dialog.model().aliases.Assign({{"{w}", full}});
    find<QPushButton>(dialog, "Add")->click(); // re-shows the list
    auto* table = find<QTableView>(dialog, "aliases");
    ASSERT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(cell(table, 0, 2), "/data/.../w.wav*2");
    EXPECT_EQ(table->model()->index(0, 2).data(Qt::EditRole).toString().toStdString(), full)
        << "the cell's editor gets the full path";
    EXPECT_EQ(cell(table, 1, 1), "{}");

    // A refused name is put back in the cell.
    type(table, 0, 1, "{toolong7}");
    QCoreApplication::processEvents();
    EXPECT_EQ(cell(table, 0, 1), "{w}");
    EXPECT_EQ(dialog.model().aliases.rows()[0].name, "{w}");

    type(table, 1, 1, "{k}");
    type(table, 1, 2, "w.wav+1");
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.model().aliases.rows()[1], (AliasRow{"{k}", "w.wav+1"}));
    EXPECT_EQ(dialog.model().aliases.rows()[0].formula, full); // still the full path

    dialog.chooseFile = [&](const QString&, const QString& filter, bool) {
        EXPECT_EQ(filter, "Binary   (*.wav)");
        return QString::fromStdString(box.waves + "w.wav");
    };
    setFormula(dialog, "{k}*");
    find<QPushButton>(dialog, "Insert Wave")->click();
    EXPECT_EQ(find<QComboBox>(dialog, "formula")->currentText(), "{k}*w.wav");
    find<QPushButton>(dialog, "OK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << box.prompts.lastText();
    EXPECT_EQ(doc.wave()[3], 20);
}

TEST(QtFileFilterTest, TurnsPipeListsIntoQtFilters) {
    EXPECT_EQ(QtFileFilter("Binary   (*.wav)|*.wav|ASCII -space delimited (*.afm)|*.afm||"),
              "Binary   (*.wav);;ASCII -space delimited (*.afm)");
    EXPECT_EQ(QtFileFilter("Binary (*.equ) |*.equ||"), "Binary (*.equ)");
}

} // namespace
} // namespace tw
