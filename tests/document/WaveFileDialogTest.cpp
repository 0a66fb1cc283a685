#include "document/qt/WaveFileDialog.h"
#include "app/LaunchState.h"
#include "document/WaveFormats.h"
#include "support/Sandbox.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Types a bare name under the filter at index and accepts, as a user would.
void TypeWhenShown(int filterIndex, const QString& name, QStringList* filtersSeen) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        *filtersSeen = dialog->nameFilters();
        dialog->selectNameFilter(dialog->nameFilters().at(filterIndex));
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        static_cast<QDialog*>(dialog)->accept(); // public in QDialog
    });
}

TEST(WaveFileDialogTest, SaveCompletesTheNameFromTheFilterAndRemembersIt) {
    test::Sandbox box;
    SetWaveFolder(box.root() + "/");
    FileDialogMemory memory;
    QStringList filters;
    TypeWhenShown(2, "sine", &filters);
    DialogChoice choice = ChooseWaveFile(nullptr, DialogKind::Save, "/x/old.wav", memory);
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters[3], "Positive format (16-bit only) (*.pwav ) (*.pwav)");
    EXPECT_EQ(choice.path, box.root() + "/sine.csv");
    EXPECT_EQ(choice.code, kCsvCode);
    EXPECT_EQ(memory.filterIndex, 2);
    EXPECT_EQ(memory.initialFolder(), box.root() + "/");
}

} // namespace
} // namespace tw
