#include "generators/qt/DcWaveDialog.h"

#include "generators/qt/GeneratorDialogSupport.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

DcWaveDialog::DcWaveDialog(GeneratorTarget& target, QWidget* parent)
    : QDialog(parent), model_(target) {
    model_.Open();
    setWindowTitle("DC Wave");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(this);
        form->addRow(model_.fields()[i].name, edits_[i]);
    }
    layout->addLayout(form);
    AddGeneratorButtons(
        *this, *layout, [this] { Preview(); }, [this] { Default(); });
    ShowFields();
    PlaceGeneratorDialog(*this, model_.target());
}

void DcWaveDialog::ShowFields() {
    for (size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(Q(model_.fields()[i].text));
}

void DcWaveDialog::ReadFields() {
    for (size_t i = 0; i < edits_.size(); ++i)
        model_.fields()[i].text = S(edits_[i]->text());
}

void DcWaveDialog::Refused() {
    ShowFields();
    if (model_.focus() >= 0)
        SelectField(edits_[static_cast<size_t>(model_.focus())]);
}

void DcWaveDialog::Preview() {
    ReadFields();
    if (!model_.Preview())
        Refused();
}

void DcWaveDialog::Default() {
    model_.Default();
    ShowFields();
}

void DcWaveDialog::accept() {
    ReadFields();
    if (!model_.Accept()) {
        Refused();
        return;
    }
    RememberGeneratorDialogPlace(*this, model_.target());
    QDialog::accept();
}

void DcWaveDialog::reject() {
    model_.Cancel();
    QDialog::reject();
}

} // namespace tw
