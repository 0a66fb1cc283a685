#include "fm/qt/FmMarkersDialog.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tw {
namespace {

QStringList items(QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

TEST(FmMarkersDialog, EditsStoresAndAsksOnClose) {
    test::Sandbox box{1};
    box.set(box.exchange(), "FmMark0", "FmSort", "0");
    box.set(box.exchange(), "FmMark0", "Mrk0", "1500000");
    auto dlg = std::make_unique<FmMarkersDialog>(box.session(), 0, 0, 1e7);
    EXPECT_EQ(dlg->windowTitle(), "FM Markers Table");
    EXPECT_TRUE(dlg->descendButton()->isChecked());

    dlg->values()->setEditText("2e6");
    QTest::keyClick(dlg->values()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(items(dlg->values()), (QStringList{"2.00000000e6", "1.50000000e6"}));
    EXPECT_EQ(dlg->values()->currentText(), "2e6") << "the typed text stays";

    dlg->values()->setCurrentIndex(0);
    dlg->deleteSelected();
    EXPECT_EQ(items(dlg->values()), QStringList{"1.50000000e6"}) << "the selected entry goes";

    dlg->ascendButton()->setChecked(true);
    dlg->values()->setEditText("3e6");
    dlg->addTyped();
    EXPECT_EQ(items(dlg->values()), (QStringList{"1.50000000e6", "3.00000000e6"}));

    box.prompts.then(Answer::Yes);
    dlg.reset(); // closed without Store: the question saves it
    ASSERT_EQ(box.prompts.asked.size(), 1u);
    EXPECT_EQ(box.prompts.asked[0].caption, "Data is modified");
    EXPECT_EQ(box.get(box.exchange(), "FmMark0", "FmSort"), "1");
    EXPECT_EQ(box.get(box.exchange(), "FmMark0", "Mrk1"), "3000000");

    dlg = std::make_unique<FmMarkersDialog>(box.session(), 0, 0, 1e7);
    dlg->values()->setEditText("4e6");
    dlg->addTyped();
    dlg->storeAndUpdate();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    dlg.reset();
    EXPECT_EQ(box.prompts.asked.size(), 1u) << "stored: nothing to ask";
    EXPECT_EQ(box.get(box.exchange(), "FmMark0", "Mrk2"), "4000000");
}

} // namespace
} // namespace tw
