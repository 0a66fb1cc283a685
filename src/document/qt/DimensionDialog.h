#pragma once
#include "document/DimensionQuestion.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace tw {

// "Input Interpretation As...": how the rows of a column file are read.
class DimensionDialog : public QDialog {
    Q_OBJECT
  public:
    DimensionDialog(const DimensionChoice& initial, QWidget* parent = nullptr);

    DimensionChoice choice() const;
    QRadioButton* oneDimensional() const { return one_; }
    QRadioButton* twoDimensional() const { return two_; }
    QCheckBox* alwaysBox() const { return always_; }
    QCheckBox* fullScaleBox() const { return fullScale_; }

  private:
    QRadioButton* one_;
    QRadioButton* two_;
    QCheckBox* always_;
    QCheckBox* fullScale_;
};

// The asker AskDimension uses in the GUI: the dialog, modal over parent.
DimensionAsker DialogDimensionAsker(QWidget* parent);

} // namespace tw
