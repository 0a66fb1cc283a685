#pragma once
#include <QDialog>

class QButtonGroup;
class QComboBox;
class QPrinter;

namespace tw {

// Print Setup where the system has no printer of its own (printing goes to a PDF file), which
// the platform's page setup dialog refuses: the paper size and the orientation.
class PaperDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PaperDialog(QPrinter& printer, QWidget* parent = nullptr);

    void accept() override;

  private:
    QPrinter& printer_;
    QComboBox* size_;
    QButtonGroup* orientation_;
};

} // namespace tw
