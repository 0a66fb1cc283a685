#include "frame/PaperDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPrinter>
#include <QRadioButton>

namespace tw {

PaperDialog::PaperDialog(QPrinter& printer, bool& screenColours, QWidget* parent)
    : QDialog(parent), printer_(printer), screenColours_(screenColours),
      colours_(new QCheckBox("Print in the &screen's colours", this)), size_(new QComboBox(this)),
      orientation_(new QButtonGroup(this)) {
    setWindowTitle("Page Setup");
    const QPageLayout layout = printer.pageLayout();
    for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::Legal,
                                     QPageSize::A3, QPageSize::A5, QPageSize::Tabloid})
        size_->addItem(QPageSize::name(id), static_cast<int>(id));
    const int current = size_->findData(static_cast<int>(layout.pageSize().id()));
    size_->setCurrentIndex(current >= 0 ? current : 0);

    auto* portrait = new QRadioButton("&Portrait", this);
    auto* landscape = new QRadioButton("&Landscape", this);
    orientation_->addButton(portrait, QPageLayout::Portrait);
    orientation_->addButton(landscape, QPageLayout::Landscape);
    (layout.orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
    auto* orientationRow = new QHBoxLayout;
    orientationRow->addWidget(portrait);
    orientationRow->addWidget(landscape);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PaperDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PaperDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow("Paper &size", size_);
    form->addRow("Orientation", orientationRow);
    colours_->setChecked(screenColours);
    colours_->setToolTip("A black plot with a light trace, as on the screen; otherwise black on "
                         "white, which suits paper");
    form->addRow("Colours", colours_);
    form->addRow(buttons);
}

void PaperDialog::accept() {
    printer_.setPageSize(
        QPageSize(static_cast<QPageSize::PageSizeId>(size_->currentData().toInt())));
    printer_.setPageOrientation(static_cast<QPageLayout::Orientation>(orientation_->checkedId()));
    screenColours_ = colours_->isChecked();
    QDialog::accept();
}

} // namespace tw
