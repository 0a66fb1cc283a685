#include "document/qt/WaveFileDialog.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QStringList>
#include <QTreeView>

namespace tw {

namespace {

// Qt's dialog opens too small for its detail columns; this size shows name, size, type and date
// beside the places list, within the screen (the frame fits every window on it as shown).
void SizeForColumns(QFileDialog& dialog, QWidget* parent) {
    dialog.setViewMode(QFileDialog::Detail);
    const QFontMetrics fm(dialog.font());
    QSize wanted(fm.averageCharWidth() * 110, fm.height() * 30);
    const QScreen* screen = parent ? parent->screen() : dialog.screen();
    if (screen)
        wanted = wanted.boundedTo(screen->availableSize() * 0.95);
    dialog.resize(wanted);
    if (auto* tree = dialog.findChild<QTreeView*>("treeView")) {
        // The name takes what Qt's widths of the other columns leave, so none runs off.
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

} // namespace

DialogChoice ChooseWaveFile(QWidget* parent, DialogKind kind, const std::string& fileName,
                            FileDialogMemory& memory, const LaunchState& session) {
    const FormatTable& table = CurrentFormatTable(session);
    QStringList filters;
    QStringList displays;
    // The pattern goes in a trailing "( )" for Qt to match on; the display text is shown alone.
    for (const FilterEntry& e : ParseFilter(FileFilter(table, kind))) {
        QString pattern = QString::fromStdString(e.pattern);
        pattern.replace(';', ' '); // Qt separates patterns by blanks
        filters << QString::fromStdString(e.display) + " (" + pattern + ")";
        displays << QString::fromStdString(e.display).trimmed();
    }
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(kind == DialogKind::Open ? QFileDialog::AcceptOpen
                                                  : QFileDialog::AcceptSave);
    dialog.setFileMode(kind == DialogKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    SizeForColumns(dialog, parent);
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
    DialogChoice choice = ResolveTypedName(session, typed, filterIndex, kind, table);
    Show(prompter(), choice.refused);
    return choice;
}

} // namespace tw
