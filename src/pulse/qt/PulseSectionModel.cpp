#include "pulse/qt/PulseSectionModel.h"

#include "pulse/PulseEditor.h"

namespace tw {

PulseSectionModel::PulseSectionModel(PulseEditor& editor, QObject* parent)
    : QAbstractTableModel(parent), editor_(editor) {}

int PulseSectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : editor_.rowCount();
}

int PulseSectionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : editor_.columnCount();
}

QVariant PulseSectionModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= editor_.rowCount() ||
        index.column() >= editor_.columnCount())
        return {};
    return QString::fromStdString(editor_.text(index.row(), index.column()));
}

QVariant PulseSectionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto titles = editor_.columnTitles();
    if (section < 0 || section >= static_cast<int>(titles.size()))
        return {};
    return QString::fromStdString(titles[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags PulseSectionModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editor_.isEditable(index.row(), index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool PulseSectionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !editor_.isEditable(index.row(), index.column()))
        return false;
    editing_ = true;
    const bool stored =
        editor_.EditCell(index.row(), index.column(), value.toString().toStdString());
    editing_ = false;
    // The partner column and the rows below are repaired with the edited cell.
    emit dataChanged(this->index(index.row(), 0),
                     this->index(editor_.rowCount() - 1, editor_.columnCount() - 1));
    emit cellEdited();
    return stored;
}

void PulseSectionModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace tw
