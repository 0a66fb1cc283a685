#include "generators/qt/WaveParamDialog.h"

#include "generators/qt/GeneratorDialogSupport.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

WaveParamDlg::WaveParamDlg(Shape shape, GeneratorTarget& target, QWidget* parent)
    : QDialog(parent), model_(shape, target) {
    model_.Open();
    setWindowTitle(Q(model_.title()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const GeneratorField& f : model_.fields()) {
        auto* label = new QLabel(Q(f.label), this);
        labels_.push_back(label);
        if (f.checkBox) {
            auto* box = new QCheckBox(this);
            checks_.push_back(box);
            edits_.push_back(nullptr);
            form->addRow(label, box);
        } else {
            auto* edit = new QLineEdit(this);
            edits_.push_back(edit);
            checks_.push_back(nullptr);
            form->addRow(label, edit);
        }
    }
    layout->addLayout(form);

    preview_ = AddGeneratorButtons(
        *this, *layout, [this] { Preview(); }, [this] { Default(); });
    ShowFields();
    PlaceGeneratorDialog(*this, model_.target());
}

void WaveParamDlg::ShowFields() {
    const auto& fields = model_.fields();
    for (size_t i = 0; i < fields.size() && i < edits_.size(); ++i) {
        labels_[i]->setText(Q(fields[i].label));
        if (edits_[i])
            edits_[i]->setText(Q(fields[i].text));
        else
            checks_[i]->setChecked(fields[i].text == "1");
    }
}

void WaveParamDlg::ReadFields() {
    auto& fields = model_.fields();
    for (size_t i = 0; i < fields.size() && i < edits_.size(); ++i)
        fields[i].text = edits_[i] ? S(edits_[i]->text()) : (checks_[i]->isChecked() ? "1" : "0");
}

void WaveParamDlg::Preview() {
    ReadFields();
    model_.Preview();
    ShowFields();
}

void WaveParamDlg::Default() {
    model_.Default();
    ShowFields();
}

void WaveParamDlg::accept() {
    ReadFields();
    if (!model_.Accept()) {
        ShowFields();
        return;
    }
    RememberGeneratorDialogPlace(*this, model_.target());
    QDialog::accept();
}

void WaveParamDlg::reject() {
    model_.Cancel();
    QDialog::reject();
}

} // namespace tw
