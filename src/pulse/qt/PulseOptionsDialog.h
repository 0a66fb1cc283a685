#pragma once
#include "pulse/PulseOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tw {

// "Pulse Editor Options": mode of operation, design units and the forced sample clock.
class PulseOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    // The options of the channel's train (0-based).
    PulseOptionsDialog(const LaunchState& session, const PulseLimits& limits, int channel,
                       QWidget* parent = nullptr);

    void accept() override; // stores the options; stays open when the clock is refused

    QRadioButton* modeButton(int mode) const { return modes_[mode]; }
    QCheckBox* forceBox() const { return force_; }
    QLineEdit* clockEdit() const { return clock_; }
    QComboBox* timeUnits() const { return timeUnits_; }

  private:
    const LaunchState& session_;
    const PulseLimits& limits_;
    int channel_;
    PulseOptions options_;
    QRadioButton* modes_[3];
    QComboBox* timeUnits_;
    QComboBox* levelUnits_;
    QCheckBox* force_;
    QLineEdit* clock_;
    QLineEdit* yRes_;
};

} // namespace tw
