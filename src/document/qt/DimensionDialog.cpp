#include "document/qt/DimensionDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

DimensionDialog::DimensionDialog(const DimensionChoice& initial, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Input Interpretation As...");
    auto* group = new QGroupBox(this);
    one_ = new QRadioButton("One Dimensional Array", group);
    two_ = new QRadioButton("Two Dimensional Array", group);
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(one_);
    radios->addWidget(two_);
    (initial.twoDimensional ? two_ : one_)->setChecked(true);
    always_ = new QCheckBox("Always use selected option ", this);
    always_->setChecked(initial.always);
    fullScale_ = new QCheckBox("Values are fractions of full scale (-1.0 ... +1.0)", this);
    fullScale_->setChecked(initial.fullScale);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(always_);
    layout->addWidget(fullScale_);
    layout->addWidget(buttons);
}

DimensionChoice DimensionDialog::choice() const {
    return {two_->isChecked() ? 1 : 0, always_->isChecked(), fullScale_->isChecked()};
}

DimensionAsker DialogDimensionAsker(QWidget* parent) {
    return [parent](const DimensionChoice& initial) -> std::optional<DimensionChoice> {
        DimensionDialog dialog(initial, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
    };
}

} // namespace tw
