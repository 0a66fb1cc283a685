#include "expr/qt/OperandsDialog.h"

#include "expr/OperandsHelp.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tw {

OperandsDialog::OperandsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Operands");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QPlainTextEdit(OperandsHelpText(), this);
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(620, 520);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace tw
