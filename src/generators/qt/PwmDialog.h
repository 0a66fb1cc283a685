#pragma once
#include "generators/PwmModel.h"

#include <QDialog>

#include <map>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tw {

class PwmPreviewWidget;

// "Pulse Parameter Modulation": a pulse train whose widths (or delays) follow a modulation
// law, worked out into one segment and optionally downloaded with its settings.
class PwmDialog : public QDialog {
    Q_OBJECT
  public:
    PwmDialog(GeneratorTarget& target, QWidget* parent = nullptr);
    void reject() override;

    void Calculate();
    void CalculateAndDownload();
    void TogglePreview();

    PwmModel& model() { return model_; }
    QLineEdit* edit(const std::string& key) const { return edits_.at(key); }
    QLabel* label(const std::string& key) const { return labels_.at(key); }
    QComboBox* modulationBy() const { return modBy_; }
    QRadioButton* periodUnits() const { return period_; }
    QRadioButton* frequencyUnits() const { return frequency_; }
    QPushButton* previewButton() const { return previewButton_; }
    QPushButton* runButton() const { return run_; }
    PwmPreviewWidget* preview() const { return picture_; }

  private:
    void ShowFields();
    void ReadFields();
    void ShowLabels();
    void UnitsChosen(bool period);
    void Finished(PwmStatus status);

    PwmModel model_;
    std::map<std::string, QLineEdit*> edits_;
    std::map<std::string, QLabel*> labels_;
    QComboBox* shape_;
    QComboBox* align_;
    QComboBox* modBy_;
    QRadioButton* frequency_;
    QRadioButton* period_;
    QPushButton* previewButton_;
    QWidget* previewArea_;
    PwmPreviewWidget* picture_;
    QLineEdit* rate_;
    QPushButton* run_;
    QRadioButton* single_;
};

} // namespace tw
