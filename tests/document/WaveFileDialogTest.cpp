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

// Each composer's dialogs list the rows of its format table, in code order.
TEST(WaveFileDialogTest, ListsTheRowsOfTheRunningComposersTable) {
    for (int composer : {kStandardComposer, kFmComposer}) {
        test::Sandbox box(composer);
        for (DialogKind kind : {DialogKind::Open, DialogKind::Save}) {
            QStringList expected;
            QStringList patterns;
            for (const FileFormat* f : DialogFormats(CurrentFormatTable(box.session()), kind)) {
                const std::string_view filter = f->filter;
                const auto bar = filter.find('|');
                const QString pattern = QString::fromStdString(std::string(filter.substr(bar + 1)));
                expected << (QString::fromStdString(std::string(filter.substr(0, bar))) + " (" +
                             pattern + ")")
                                .simplified(); // as the dialog keeps it
                if (!patterns.contains(pattern))
                    patterns << pattern;
            }
            if (kind == DialogKind::Open) // after them all, so that each keeps its place
                expected << "All supported files (" + patterns.join(' ') + ")";
            QStringList filters;
            QTimer::singleShot(0, [&filters] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                filters = dialog->nameFilters();
                dialog->reject();
            });
            FileDialogMemory memory;
            EXPECT_TRUE(ChooseWaveFile(nullptr, kind, "", memory, box.session()).path.empty());
            EXPECT_EQ(filters, expected) << composer;
            // The original entries, then NumPy (and for the standard composer MATLAB and
            // the audio WAV); the Open dialogs end with all supported files.
            EXPECT_EQ(filters.size(), composer == kFmComposer    ? 3
                                      : kind == DialogKind::Open ? 10
                                                                 : 7);
        }
    }
}

} // namespace
} // namespace tw
