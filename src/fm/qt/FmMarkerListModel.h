#pragma once
#include <QAbstractListModel>

namespace tw {

class FmMarkerTable;

// The FM marker values as the dialog's drop-down list shows them, in display order. The marker
// table holds the values.
class FmMarkerListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit FmMarkerListModel(const FmMarkerTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The values or their order changed: the list is read again.
    void reload();

  private:
    const FmMarkerTable& table_;
};

} // namespace tw
