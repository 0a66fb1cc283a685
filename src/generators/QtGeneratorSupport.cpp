#include "generators/QtGeneratorSupport.h"

#include "generators/GeneratorSettings.h"

#include <QDialog>
#include <QLineEdit>

namespace tw {

void PlaceGeneratorDialog(QDialog& dialog) {
    DialogPosition pos;
    if (ReadDialogPosition(pos))
        dialog.move(pos.left, pos.top);
}

void RememberGeneratorDialogPlace(const QDialog& dialog) {
    StoreDialogPosition({dialog.pos().x(), dialog.pos().y()});
}

void SelectField(QLineEdit* edit) {
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
}

} // namespace tw
