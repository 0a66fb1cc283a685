#pragma once
#include <QDialog>

namespace tw {

// The "Operands" help of the equation editor.
class OperandsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit OperandsDialog(QWidget* parent = nullptr);
};

} // namespace tw
