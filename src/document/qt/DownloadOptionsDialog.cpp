#include "document/qt/DownloadOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

DownloadOptionsDialog::DownloadOptionsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Download Options");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Options", this);
    auto* options = new QVBoxLayout(group);
    const char* labels[] = {"Wave Only", "Digital Bits B13/B14", "Both"};
    for (int i = 0; i < 3; ++i) {
        choices_[i] = new QRadioButton(labels[i], group);
        options->addWidget(choices_[i]);
    }
    choices_[0]->setChecked(true);
    layout->addWidget(group);
    // Not consulted: the question returns at every download until a type is stored.
    dontShow_ = new QCheckBox("Don't Show this Dialog Box", this);
    layout->addWidget(dontShow_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int DownloadOptionsDialog::chosenType() const {
    for (int i = 0; i < 3; ++i)
        if (choices_[i]->isChecked())
            return i;
    return 0;
}

std::optional<int> QtTraceTypeAsker::askTraceType() {
    DownloadOptionsDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenType();
}

} // namespace tw
