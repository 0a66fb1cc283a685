#include "document/qt/WaveFileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace tw {

DialogChoice ChooseWaveFile(QWidget* parent, DialogKind kind, const std::string& fileName,
                            FileDialogMemory& memory) {
    const FormatTable& table = CurrentFormatTable();
    QStringList filters;
    QStringList displays;
    // The pattern goes in a trailing "( )" for Qt to match on; the display text is shown alone.
    for (const FilterEntry& e : ParseFilter(FileFilter(table, kind))) {
        filters << QString::fromStdString(e.display + " (" + e.pattern + ")");
        displays << QString::fromStdString(e.display).trimmed();
    }
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(kind == DialogKind::Open ? QFileDialog::AcceptOpen
                                                  : QFileDialog::AcceptSave);
    dialog.setFileMode(kind == DialogKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (memory.filterIndex >= 0 && memory.filterIndex < filters.size())
        dialog.selectNameFilter(filters[memory.filterIndex]);
    const std::string folder = memory.initialFolder();
    if (!folder.empty())
        dialog.setDirectory(QString::fromStdString(folder));
    dialog.selectFile(QString::fromStdString(ProposedFileName(fileName)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const std::string typed = dialog.selectedFiles().front().toStdString();
    // With the details hidden the dialog reports the display text alone.
    const QString selected = dialog.selectedNameFilter().trimmed();
    const int filterIndex = static_cast<int>(
        filters.contains(selected) ? filters.indexOf(selected) : displays.indexOf(selected));
    memory.remember(typed, filterIndex);
    return ResolveTypedName(typed, filterIndex, kind, table);
}

} // namespace tw
