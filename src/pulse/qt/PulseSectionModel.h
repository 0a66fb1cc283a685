#pragma once
#include <QAbstractTableModel>

namespace tw {

class PulseEditor;

// The pulse editor's "Section Structure" table as a Qt model: the cells are the editor's display
// texts, and an edited cell goes through the editor's rules. The editor holds the table.
class PulseSectionModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PulseSectionModel(PulseEditor& editor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Accepted or refused, the edited row and the rows below show what the editor holds.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The editor opened another section or changed rows: the table is read again.
    void reload();
    // True while an edit is being stored; the train's change notices then must not reload.
    bool editing() const { return editing_; }

  signals:
    void cellEdited();

  private:
    PulseEditor& editor_;
    bool editing_ = false;
};

} // namespace tw
