#pragma once
#include "generators/CardiacEcg.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;

namespace tw {

// "Cardiac_ECG Wave": one heartbeat over the whole wave, optionally setting the sample clock.
class CardiacEcgDialog : public QDialog {
    Q_OBJECT
  public:
    CardiacEcgDialog(GeneratorTarget& target, QWidget* parent = nullptr);
    void accept() override;
    void reject() override;
    void Preview();
    void Default();
    QLineEdit* edit(int field) const { return edits_.at(static_cast<size_t>(field)); }

  private:
    void ShowFields();
    void ReadFields();
    // False when the dialog closed because of the answer to the clock question.
    bool Handle(CardiacEcgModel::Outcome outcome);

    CardiacEcgModel model_;
    std::array<QLineEdit*, CardiacEcgModel::kFieldCount> edits_{};
    QCheckBox* force_;
};

} // namespace tw
