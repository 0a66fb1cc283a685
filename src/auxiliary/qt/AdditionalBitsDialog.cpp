#include "auxiliary/qt/AdditionalBitsDialog.h"

#include "auxiliary/AdditionalBits.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tw {

bool ShowAdditionalBitsDialog(QWidget* parent, const LaunchState& session,
                              const std::string& segTableSection, int activeSegment) {
    AdditionalBits bits = LoadAdditionalBits(session, segTableSection, activeSegment);
    QDialog dialog(parent);
    dialog.setWindowTitle("Additional Bits Editor");
    auto* grid = new QGridLayout(&dialog);
    grid->addWidget(new QLabel("Invert"), 0, 2);
    const int labelIds[2] = {1184, 1185};
    const int editIds[2] = {1005, 1007};
    const int checkIds[2] = {1006, 1008};
    QLineEdit* lists[2];
    QCheckBox* inverts[2];
    for (int k = 0; k < 2; ++k) {
        auto* label = new QLabel(QString::fromStdString(bits.Label(k)));
        label->setObjectName(QString::number(labelIds[k]));
        lists[k] = new QLineEdit(QString::fromStdString(bits.list[k]));
        lists[k]->setObjectName(QString::number(editIds[k]));
        lists[k]->setMinimumWidth(420);
        inverts[k] = new QCheckBox;
        inverts[k]->setObjectName(QString::number(checkIds[k]));
        inverts[k]->setChecked(bits.inverted[k]);
        grid->addWidget(label, k + 1, 0);
        grid->addWidget(lists[k], k + 1, 1);
        grid->addWidget(inverts[k], k + 1, 2, Qt::AlignCenter);
    }
    grid->addWidget(new QLabel("Syntax:<rise point>,<fall point>[;...] ;    Point # - zero-based."),
                    3, 1);
    grid->addWidget(new QLabel("Example: 27, 124; 250, 256;"), 4, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Ok");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    grid->addWidget(buttons, 5, 0, 1, 3);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (int k = 0; k < 2; ++k) {
        bits.list[k] = lists[k]->text().toStdString();
        bits.inverted[k] = inverts[k]->isChecked();
    }
    StoreAdditionalBits(session, bits, segTableSection);
    return true;
}

} // namespace tw
