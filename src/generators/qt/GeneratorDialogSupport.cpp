#include "generators/qt/GeneratorDialogSupport.h"

#include "generators/GeneratorSettings.h"
#include "generators/GeneratorTarget.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

void PlaceGeneratorDialog(QDialog& dialog, const GeneratorTarget& target) {
    DialogPosition pos;
    if (ReadDialogPosition(target.composer(), pos))
        dialog.move(pos.left, pos.top);
}

void RememberGeneratorDialogPlace(const QDialog& dialog, const GeneratorTarget& target) {
    StoreDialogPosition(target.composer(), {dialog.pos().x(), dialog.pos().y()});
}

void SelectField(QLineEdit* edit) {
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
}

QPushButton* AddGeneratorButtons(QDialog& dialog, QVBoxLayout& layout,
                                 std::function<void()> preview, std::function<void()> defaults) {
    auto* buttons = new QHBoxLayout;
    auto* previewButton = new QPushButton("Preview", &dialog);
    auto* defaultButton = new QPushButton("Default", &dialog);
    auto* ok = new QPushButton("OK", &dialog);
    auto* cancel = new QPushButton("Cancel", &dialog);
    ok->setDefault(true);
    for (auto* b : {previewButton, defaultButton, ok, cancel})
        buttons->addWidget(b);
    layout.addLayout(buttons);
    QObject::connect(previewButton, &QPushButton::clicked, &dialog, std::move(preview));
    QObject::connect(defaultButton, &QPushButton::clicked, &dialog, std::move(defaults));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return previewButton;
}

} // namespace tw
