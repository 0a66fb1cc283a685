#include "fm/qt/FmMarkerListModel.h"

#include "fm/FmMarkers.h"

namespace tw {

FmMarkerListModel::FmMarkerListModel(const FmMarkerTable& table, QObject* parent)
    : QAbstractListModel(parent), table_(table) {}

int FmMarkerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.size();
}

QVariant FmMarkerListModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= table_.size())
        return {};
    return QString::fromStdString(table_.displayText(index.row()));
}

void FmMarkerListModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace tw
