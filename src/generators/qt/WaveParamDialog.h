#pragma once
#include "generators/WaveParamModel.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tw {

// The parameter dialog of a standard shape: start, end, Min, Max and the shape's own
// parameters as the description file lists them, with Preview, Default, OK and Cancel.
class WaveParamDlg : public QDialog {
    Q_OBJECT
  public:
    WaveParamDlg(Shape shape, GeneratorTarget& target, QWidget* parent = nullptr);

    void accept() override; // generates and keeps; stays open on a refused value
    void reject() override; // back to the wave from before the dialog

    void Preview();
    void Default();

    WaveParamModel& model() { return model_; }
    QLineEdit* edit(size_t field) const { return edits_.at(field); }
    QCheckBox* checkBox(size_t field) const { return checks_.at(field); }
    QPushButton* previewButton() const { return preview_; }

  private:
    void ShowFields();
    void ReadFields();

    WaveParamModel model_;
    std::vector<QLabel*> labels_;
    std::vector<QLineEdit*> edits_;  // null for a check box
    std::vector<QCheckBox*> checks_; // null for an edit field
    QPushButton* preview_;
};

} // namespace tw
