#include "expr/qt/AliasTableModel.h"

#include "expr/AliasTable.h"

namespace tw {

AliasTableModel::AliasTableModel(AliasTable& aliases, QObject* parent)
    : QAbstractTableModel(parent), aliases_(aliases) {}

int AliasTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(aliases_.size());
}

int AliasTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant AliasTableModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= rowCount())
        return {};
    const AliasRow& row = aliases_.rows()[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case kNumberColumn:
        return QString::number(index.row() + 1);
    case kNameColumn:
        return QString::fromStdString(row.name);
    case kFormulaColumn:
        return QString::fromStdString(role == Qt::EditRole ? row.formula
                                                           : ShortenedPaths(row.formula));
    default:
        return {};
    }
}

QVariant AliasTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case kNumberColumn:
        return QStringLiteral("No.");
    case kNameColumn:
        return QStringLiteral("Alias");
    case kFormulaColumn:
        return QStringLiteral("Expression");
    default:
        return {};
    }
}

Qt::ItemFlags AliasTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.column() == kNameColumn || index.column() == kFormulaColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool AliasTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.row() >= rowCount())
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    const std::string text = value.toString().toStdString();
    bool stored = false;
    if (index.column() == kNameColumn) {
        stored = Show(prompter(), aliases_.Rename(row, text)); // refused: the old name stays
    } else if (index.column() == kFormulaColumn) {
        aliases_.SetFormula(row, text);
        stored = true;
    }
    emit dataChanged(index, index);
    return stored;
}

void AliasTableModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace tw
