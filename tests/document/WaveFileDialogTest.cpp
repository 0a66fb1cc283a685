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
void TypeWhenShown(int filterIndex, const QString& name) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters().at(filterIndex));
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        static_cast<QDialog*>(dialog)->accept(); // public in QDialog
    });
}

TEST(WaveFileDialogTest, SaveCompletesTheNameFromTheFilterAndRemembersIt) {
    test::Sandbox box;
    FileDialogMemory memory;
    memory.waveFolder = box.root() + "/";
    TypeWhenShown(2, "sine");
    DialogChoice choice =
        ChooseWaveFile(nullptr, DialogKind::Save, "/x/old.wav", memory, box.session());
    EXPECT_EQ(choice.path, box.root() + "/sine.csv");
    EXPECT_EQ(choice.code, kCsvCode);
    EXPECT_EQ(memory.filterIndex, 2);
    EXPECT_EQ(memory.initialFolder(), box.root() + "/");
}

// The filter texts are the registry's (FormatRegistryTest); here the running composer's table
// reaches the dialog, each entry with its patterns for Qt, Open's all supported files last.
TEST(WaveFileDialogTest, ListsTheRowsOfTheRunningComposersTable) {
    const struct {
        int composer;
        DialogKind kind;
        qsizetype count;
        const char* last;
    } cases[] = {
        {kStandardComposer, DialogKind::Open, 10,
         "All supported files (*.wav *.asc *.csv *.0* *.trc *.prn *.txt *.npy *.mat)"},
        {kStandardComposer, DialogKind::Save, 7, "MATLAB file (*.mat) (*.mat)"},
        {kFmComposer, DialogKind::Open, 3, "All supported files (*.wvf *.asf)"},
        {kFmComposer, DialogKind::Save, 3, "NumPy array (*.npy) (*.npy)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last);
        test::Sandbox box(c.composer);
        QStringList filters;
        QTimer::singleShot(0, [&filters] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            filters = dialog->nameFilters();
            dialog->reject();
        });
        FileDialogMemory memory;
        EXPECT_TRUE(ChooseWaveFile(nullptr, c.kind, "", memory, box.session()).path.empty());
        ASSERT_EQ(filters.size(), c.count);
        EXPECT_EQ(filters.back().toStdString(), c.last);
        EXPECT_EQ(filters.front().toStdString(),
                  c.composer == kFmComposer ? "Binary (*.wvf) (*.wvf)" : "Binary (*.wav) (*.wav)");
    }
}

} // namespace
} // namespace tw
