#include "generators/qt/PwmDialog.h"

#include "app/StoredNumber.h"
#include "generators/qt/GeneratorDialogSupport.h"
#include "generators/qt/PwmPreviewWidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {
namespace {

struct Row {
    const char* key;
    const char* label; // for the fields whose label does not change
    bool result;
};
const Row kRows[] = {{"Pulse_Period", "", false},
                     {"Pulse_Width", "", false},
                     {"High_Level", "High Level (V)", false},
                     {"Low_Level", "Low Level (V)", false},
                     {"Mod_Period", "", false},
                     {"Mod_Index", "", false},
                     {"Mod_Offset", "", false},
                     {"Precision", "Resolution (s)", false},
                     {"Amplitude", "Amplitude (Vpp)", true},
                     {"Offset", "Offset (V)", true},
                     {"SCLK", "SCLK (S/s)", true},
                     {"Seg_Length", "Memory usage (points)", true}};

} // namespace

PwmDialog::PwmDialog(GeneratorTarget& target, QWidget* parent) : QDialog(parent), model_(target) {
    model_.Open();
    setWindowTitle("Pulse Parameter Modulation");
    auto* layout = new QVBoxLayout(this);

    auto* units = new QHBoxLayout;
    frequency_ = new QRadioButton("Frequency (Hz)", this);
    period_ = new QRadioButton("Period (s)", this);
    units->addWidget(frequency_);
    units->addWidget(period_);
    layout->addLayout(units);

    auto* grid = new QGridLayout;
    int row = 0;
    for (const Row& r : kRows) {
        auto* label = new QLabel(r.label, this);
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(r.result);
        labels_[r.key] = label;
        edits_[r.key] = edit;
        grid->addWidget(label, row % 6, (row / 6) * 2);
        grid->addWidget(edit, row % 6, (row / 6) * 2 + 1);
        ++row;
    }
    shape_ = new QComboBox(this);
    shape_->addItems({"Sine", "Triangle", "Square", "External"});
    align_ = new QComboBox(this);
    align_->addItems({"Leading", "Trailing", "Centered"});
    modBy_ = new QComboBox(this);
    modBy_->addItems({"Pulse Width", "Pulse Delay"});
    grid->addWidget(new QLabel("Shape", this), 6, 0);
    grid->addWidget(shape_, 6, 1);
    grid->addWidget(new QLabel("Modulation by", this), 7, 0);
    grid->addWidget(modBy_, 7, 1);
    grid->addWidget(new QLabel("Edge alignment", this), 6, 2);
    grid->addWidget(align_, 6, 3);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto* calculate = new QPushButton("Calculate", this);
    auto* download = new QPushButton("Calculate && Download", this);
    previewButton_ = new QPushButton("Preview >>", this);
    auto* close = new QPushButton("Close", this);
    for (auto* b : {calculate, download, previewButton_, close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    previewArea_ = new QGroupBox(this);
    auto* previewLayout = new QVBoxLayout(previewArea_);
    picture_ = new PwmPreviewWidget(previewArea_);
    previewLayout->addWidget(picture_);
    auto* controls = new QHBoxLayout;
    rate_ = new QLineEdit("2", previewArea_);
    run_ = new QPushButton("Run", previewArea_);
    single_ = new QRadioButton("Single", previewArea_);
    auto* continuous = new QRadioButton("Continuous", previewArea_);
    continuous->setChecked(true);
    controls->addWidget(rate_);
    controls->addWidget(new QLabel("pulse/s", previewArea_));
    controls->addWidget(run_);
    controls->addWidget(single_);
    controls->addWidget(continuous);
    previewLayout->addLayout(controls);
    previewArea_->hide();
    layout->addWidget(previewArea_);

    connect(calculate, &QPushButton::clicked, this, &PwmDialog::Calculate);
    connect(download, &QPushButton::clicked, this, &PwmDialog::CalculateAndDownload);
    connect(previewButton_, &QPushButton::clicked, this, &PwmDialog::TogglePreview);
    connect(close, &QPushButton::clicked, this, &PwmDialog::reject);
    connect(period_, &QRadioButton::toggled, this, [this](bool on) { UnitsChosen(on); });
    connect(modBy_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.byDelay = index == 1;
        ShowLabels();
    });
    connect(run_, &QPushButton::clicked, this, [this] {
        if (picture_->running()) {
            picture_->Stop();
            return;
        }
        picture_->Run(rate_->text().toDouble(), !single_->isChecked());
        if (picture_->running())
            run_->setText("Stop");
    });
    connect(picture_, &PwmPreviewWidget::stopped, this, [this] { run_->setText("Run"); });

    ShowFields();
    PlaceGeneratorDialog(*this, model_.target());
}

void PwmDialog::ShowLabels() {
    for (const Row& r : kRows)
        if (!*r.label)
            labels_[r.key]->setText(Q(model_.Label(r.key)));
}

void PwmDialog::ShowFields() {
    for (const Row& r : kRows)
        edits_[r.key]->setText(Q(model_.field(r.key)));
    const QSignalBlocker block(period_);
    (model_.periodUnits() ? period_ : frequency_)->setChecked(true);
    shape_->setCurrentIndex(StoredWhole(model_.field("Shape")));
    align_->setCurrentIndex(StoredWhole(model_.field("Mod_Type")));
    ShowLabels();
}

void PwmDialog::ReadFields() {
    for (const Row& r : kRows)
        if (!r.result)
            model_.field(r.key) = S(edits_[r.key]->text());
    model_.field("Units") = period_->isChecked() ? "1" : "0";
    model_.field("Shape") = std::to_string(shape_->currentIndex());
    model_.field("Mod_Type") = std::to_string(align_->currentIndex());
}

// Switching units turns the three periods into frequencies or back, so the train stays.
void PwmDialog::UnitsChosen(bool period) {
    ReadFields();
    model_.field("Units") = period ? "1" : "0";
    for (const char* key : {"Pulse_Period", "Pulse_Width", "Mod_Period"}) {
        const double v = edits_[key]->text().toDouble();
        if (v > 0)
            model_.field(key) = S(QString::number(1 / v, 'g', 9));
    }
    ShowFields();
}

void PwmDialog::Finished(PwmStatus status) {
    ShowFields();
    if (status == PwmStatus::Refused && edits_.count(model_.focus()))
        SelectField(edits_[model_.focus()]);
    if (status == PwmStatus::Ok)
        picture_->SetTrain(model_.wave().points, model_.plan().count.n);
}

void PwmDialog::Calculate() {
    ReadFields();
    Finished(model_.Calculate());
}

void PwmDialog::CalculateAndDownload() {
    ReadFields();
    Finished(model_.CalculateAndDownload());
}

void PwmDialog::TogglePreview() {
    const bool show = previewArea_->isHidden();
    previewArea_->setVisible(show);
    previewButton_->setText(show ? "Reduce <<" : "Preview >>");
    if (!show)
        picture_->Stop();
    adjustSize();
}

void PwmDialog::reject() {
    picture_->Stop();
    model_.Cancel();
    RememberGeneratorDialogPlace(*this, model_.target());
    QDialog::reject();
}

} // namespace tw
