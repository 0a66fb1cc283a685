#include "fm/qt/FmMarkersDialog.h"

#include "fm/qt/FmMarkerListModel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

namespace {
QPushButton* button(const char* text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false); // Enter belongs to the edit field's Add
    return b;
}
} // namespace

FmMarkersDialog::FmMarkersDialog(const LaunchState& session, int fmFuncMode, double vMin,
                                 double vMax, QWidget* parent)
    : QDialog(parent), fmFuncMode_(fmFuncMode), vMin_(vMin), vMax_(vMax),
      table_(session, prompter()), list_(new FmMarkerListModel(table_, this)),
      combo_(new QComboBox(this)), ascend_(new QRadioButton("Ascend", this)),
      descend_(new QRadioButton("Descend", this)) {
    setWindowTitle("FM Markers Table");
    combo_->setEditable(true);
    combo_->setModel(list_);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->lineEdit()->setMaxLength(20);

    QPushButton* add = button("&Add", this);
    QPushButton* del = button("&Delete", this);
    QPushButton* clear = button("&Remove All", this);
    QPushButton* store = button("&Store && Update", this);
    QPushButton* close = button("Close", this);

    auto* sort = new QGroupBox("Sort", this);
    auto* sortLayout = new QVBoxLayout(sort);
    sortLayout->addWidget(ascend_);
    sortLayout->addWidget(descend_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Enter marker value", this), 0, 0);
    grid->addWidget(combo_, 1, 0);
    grid->addWidget(add, 1, 1);
    grid->addWidget(del, 2, 1);
    grid->addWidget(clear, 3, 1);
    grid->addWidget(sort, 2, 0, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(store);
    bottom->addWidget(close);
    grid->addLayout(bottom, 4, 0, 1, 2);
    resize(280, 242); // 186 x 149 dialog units

    connect(add, &QPushButton::clicked, this, &FmMarkersDialog::addTyped);
    connect(combo_->lineEdit(), &QLineEdit::returnPressed, this, &FmMarkersDialog::addTyped);
    connect(del, &QPushButton::clicked, this, &FmMarkersDialog::deleteSelected);
    connect(clear, &QPushButton::clicked, this, &FmMarkersDialog::removeAll);
    connect(store, &QPushButton::clicked, this, &FmMarkersDialog::storeAndUpdate);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ascend_, &QRadioButton::toggled, this, [this](bool on) {
        table_.setAscending(on);
        fillList();
    });

    table_.load(fmFuncMode_);
    (table_.ascending() ? ascend_ : descend_)->setChecked(true);
    fillList();
}

FmMarkersDialog::~FmMarkersDialog() {
    table_.close(fmFuncMode_);
}

void FmMarkersDialog::fillList() {
    QString typed = combo_->currentText();
    list_->reload();
    combo_->setCurrentIndex(-1);
    combo_->setEditText(typed);
}

void FmMarkersDialog::addTyped() {
    QString typed = combo_->currentText();
    if (table_.add(typed.toStdString(), vMin_, vMax_) != FmMarkerTable::AddResult::Added)
        return;
    fillList();
    combo_->setEditText(typed);
    combo_->setFocus();
}

void FmMarkersDialog::deleteSelected() {
    int selected = combo_->currentIndex();
    if (selected < 0)
        return;
    table_.removeAt(selected);
    combo_->setEditText(QString());
    fillList();
}

void FmMarkersDialog::removeAll() {
    table_.removeAll();
    fillList();
}

void FmMarkersDialog::storeAndUpdate() {
    table_.store(fmFuncMode_);
    accept();
}

} // namespace tw
