#include "pulse/qt/PulseOptionsDialog.h"

#include "app/Result.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

PulseOptionsDialog::PulseOptionsDialog(const LaunchState& session, const PulseLimits& limits,
                                       int channel, QWidget* parent)
    : QDialog(parent), session_(session), limits_(limits), channel_(channel),
      options_(LoadPulseOptions(session, limits, channel)) {
    setWindowTitle("Pulse Editor Options");
    auto* layout = new QVBoxLayout(this);

    auto* modes = new QGroupBox(this);
    auto* modeLayout = new QVBoxLayout(modes);
    const char* names[] = {"Freely Select Mode of Operation",
                           "Force Pulse Train to Single Segment (Arbitrary Waveform Mode)",
                           "Force Pulse Sections to Multiple Segments (Sequenced  Waveform Mode)"};
    for (int m = 0; m < 3; ++m) {
        modes_[m] = new QRadioButton(names[m], modes);
        modeLayout->addWidget(modes_[m]);
    }
    modes_[options_.mode >= 0 && options_.mode <= 2 ? options_.mode : 1]->setChecked(true);
    modes_[0]->setEnabled(options_.sequencedModes);
    modes_[2]->setEnabled(options_.sequencedModes);
    layout->addWidget(modes);

    auto* form = new QFormLayout;
    timeUnits_ = new QComboBox(this);
    for (int i = 0; i < 4; ++i)
        timeUnits_->addItem(TimeUnitLabel(i));
    timeUnits_->setCurrentIndex(options_.timeUnit);
    form->addRow("Time units", timeUnits_);
    levelUnits_ = new QComboBox(this);
    levelUnits_->addItem(LevelUnitLabel(0));
    levelUnits_->addItem(LevelUnitLabel(1));
    levelUnits_->setCurrentIndex(options_.levelUnit);
    form->addRow("Level Units", levelUnits_);
    layout->addLayout(form);

    auto* clockRow = new QHBoxLayout;
    force_ = new QCheckBox("Force SCLK to ", this);
    force_->setChecked(options_.forceClock);
    clock_ = new QLineEdit(QString::fromStdString(options_.forcedClock), this);
    clock_->setEnabled(options_.forceClock);
    connect(force_, &QCheckBox::toggled, clock_, &QLineEdit::setEnabled);
    clockRow->addWidget(force_);
    clockRow->addWidget(clock_);
    layout->addLayout(clockRow);

    yRes_ = new QLineEdit(QString::number(options_.yRes), this);
    yRes_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PulseOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PulseOptionsDialog::reject);
    layout->addWidget(buttons);
}

void PulseOptionsDialog::accept() {
    PulseOptions o = options_;
    for (int m = 0; m < 3; ++m)
        if (modes_[m]->isChecked())
            o.mode = m;
    o.timeUnit = timeUnits_->currentIndex();
    o.levelUnit = levelUnits_->currentIndex();
    o.forceClock = force_->isChecked();
    o.forcedClock = clock_->text().trimmed().toStdString();
    o.yRes = yRes_->text().toInt();
    if (Show(prompter(), StorePulseOptions(session_, o, limits_, channel_)))
        QDialog::accept();
}

} // namespace tw
