#pragma once
#include "generators/DcWaveModel.h"

#include <QDialog>

#include <array>

class QLineEdit;

namespace tw {

// "DC Wave": one level from start to end.
class DcWaveDialog : public QDialog {
    Q_OBJECT
  public:
    DcWaveDialog(GeneratorTarget& target, QWidget* parent = nullptr);
    void accept() override;
    void reject() override;
    void Preview();
    void Default();
    QLineEdit* edit(int field) const { return edits_.at(static_cast<size_t>(field)); }

  private:
    void ShowFields();
    void ReadFields();
    void Refused();

    DcWaveModel model_;
    std::array<QLineEdit*, 3> edits_{};
};

} // namespace tw
