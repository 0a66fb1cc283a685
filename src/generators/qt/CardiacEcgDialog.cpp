#include "generators/qt/CardiacEcgDialog.h"

#include "generators/qt/GeneratorDialogSupport.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {
namespace {

const char* const kLabels[CardiacEcgModel::kFieldCount] = {
    "H1: P wave height", "H2: Q depth",       "H3: S depth",     "H4: T wave height",
    "W1: P width (%)",   "W2: QRS width (%)", "W3: T width (%)", "T0: P start (%)",
    "T1: QRS start (%)", "T2: T start (%)",   "Rate (beats/min)"};

} // namespace

CardiacEcgDialog::CardiacEcgDialog(GeneratorTarget& target, QWidget* parent)
    : QDialog(parent), model_(target) {
    model_.Open();
    setWindowTitle("Cardiac_ECG Wave");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < CardiacEcgModel::kFieldCount; ++i) {
        edits_[static_cast<size_t>(i)] = new QLineEdit(this);
        const int row = i % 6, column = (i / 6) * 2;
        grid->addWidget(new QLabel(kLabels[i], this), row, column);
        grid->addWidget(edits_[static_cast<size_t>(i)], row, column + 1);
    }
    force_ = new QCheckBox("Force Rate", this);
    grid->addWidget(force_, 5, 3);
    layout->addLayout(grid);
    AddGeneratorButtons(
        *this, *layout, [this] { Preview(); }, [this] { Default(); });
    ShowFields();
    PlaceGeneratorDialog(*this, model_.target());
}

void CardiacEcgDialog::ShowFields() {
    for (size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(Q(model_.texts()[i]));
    force_->setChecked(model_.forceRate);
}

void CardiacEcgDialog::ReadFields() {
    for (size_t i = 0; i < edits_.size(); ++i)
        model_.texts()[i] = S(edits_[i]->text());
    model_.forceRate = force_->isChecked();
}

bool CardiacEcgDialog::Handle(CardiacEcgModel::Outcome outcome) {
    if (outcome == CardiacEcgModel::Outcome::Refused && model_.focus() >= 0)
        SelectField(edits_[static_cast<size_t>(model_.focus())]);
    if (outcome == CardiacEcgModel::Outcome::Close) {
        reject();
        return false;
    }
    return outcome == CardiacEcgModel::Outcome::Done;
}

void CardiacEcgDialog::Preview() {
    ReadFields();
    Handle(model_.Preview());
}

void CardiacEcgDialog::Default() {
    model_.Default();
    ShowFields();
}

void CardiacEcgDialog::accept() {
    ReadFields();
    if (!Handle(model_.Accept()))
        return;
    RememberGeneratorDialogPlace(*this, model_.target());
    QDialog::accept();
}

void CardiacEcgDialog::reject() {
    model_.Cancel();
    QDialog::reject();
}

} // namespace tw
