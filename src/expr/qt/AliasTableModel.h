#pragma once
#include <QAbstractTableModel>

namespace tw {

class AliasTable;

// The equation editor's alias list as a Qt model: number, name and formula of each alias. The
// formula is shown with shortened wave file paths and edited in full; a renamed alias goes
// through the name rules. The alias table holds the rows.
class AliasTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kNumberColumn, kNameColumn, kFormulaColumn };

    explicit AliasTableModel(AliasTable& aliases, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The alias table changed as a whole (added, deleted, loaded rows): the list is read again.
    void reload();

  private:
    AliasTable& aliases_;
};

} // namespace tw
