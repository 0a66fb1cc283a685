#pragma once
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPrinter;

namespace tw {

// Print Setup: the paper size, the orientation, and whether the page is printed black on white
// or in the screen's colours.
class PaperDialog : public QDialog {
    Q_OBJECT
  public:
    PaperDialog(QPrinter& printer, bool& screenColours, QWidget* parent = nullptr);

    void accept() override;

  private:
    QPrinter& printer_;
    bool& screenColours_;
    QCheckBox* colours_;
    QComboBox* size_;
    QButtonGroup* orientation_;
};

} // namespace tw
