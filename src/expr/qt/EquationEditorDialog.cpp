#include "expr/qt/EquationEditorDialog.h"

#include "app/LaunchState.h"
#include "expr/qt/AliasTableModel.h"
#include "expr/qt/OperandsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tw {

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QPushButton* Button(const char* text, QWidget* parent, QLayout* into) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(text);
    b->setAutoDefault(false);
    into->addWidget(b);
    return b;
}

} // namespace

QString QtFileFilter(const std::string& filter) {
    QStringList parts = Text(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].trimmed().isEmpty())
            out << parts[i].trimmed();
    return out.join(";;");
}

EquationEditorDialog::EquationEditorDialog(GeneratorTarget& target, QWidget* parent)
    : QDialog(parent), model_(target) {
    chooseFile = [this](const QString& caption, const QString& filter, bool save) {
        return chooseWithDialog(caption, filter, save);
    };
    confirmPreview = [this] { return confirmBar(); };
    build();
    model_.Open();
    showModel();
    if (model_.position.left > 0 || model_.position.top > 0)
        move(model_.position.left, model_.position.top);
}

void EquationEditorDialog::build() {
    setWindowTitle("Equation Editor");
    auto* layout = new QVBoxLayout(this);

    auto* formulaRow = new QHBoxLayout;
    const std::string quantity = model_.target().valueScale().quantity();
    formulaRow->addWidget(new QLabel(QString::fromStdString(quantity + "(p) ="), this));
    formula_ = new QComboBox(this);
    formula_->setObjectName("formula");
    formula_->setEditable(true);
    formula_->setInsertPolicy(QComboBox::NoInsert);
    formula_->lineEdit()->setMaxLength(static_cast<int>(EquationEditor::kFormulaLength));
    formula_->setMinimumWidth(420);
    formulaRow->addWidget(formula_, 1);
    layout->addLayout(formulaRow);
    connect(formula_, &QComboBox::activated, this, [this](int index) {
        model_.PickHistory(index);
        showModel();
    });

    auto* tools = new QHBoxLayout;
    connect(Button("Insert Wave", this, tools), &QPushButton::clicked, this, [this] {
        QString path = chooseFile("Insert Wave", QtFileFilter(model_.WaveFilter()), false);
        if (path.isEmpty())
            return;
        model_.formula = formula_->currentText().toStdString();
        model_.InsertWave(path.toStdString());
        formula_->setEditText(Text(model_.formula));
    });
    connect(Button("Clear", this, tools), &QPushButton::clicked, this, [this] {
        model_.formula = formula_->currentText().toStdString();
        model_.ClearHistory();
        showModel();
    });
    connect(Button("Open", this, tools), &QPushButton::clicked, this, [this] {
        QString path = chooseFile("Open", QtFileFilter(EquationEditor::kEquationFilter), false);
        if (!path.isEmpty() && model_.OpenEquationFile(path.toStdString()))
            showModel();
    });
    connect(Button("Save", this, tools), &QPushButton::clicked, this, [this] {
        QString path = chooseFile("Save", QtFileFilter(EquationEditor::kEquationFilter), true);
        if (path.isEmpty())
            return;
        model_.formula = formula_->currentText().toStdString();
        model_.SaveEquationFile(path.toStdString());
    });
    connect(Button("Operands", this, tools), &QPushButton::clicked, this,
            [this] { OperandsDialog(this).exec(); });
    tools->addStretch();
    aliasToggle_ = Button("Aliases >>", this, tools);
    aliasToggle_->setObjectName("aliasToggle");
    connect(aliasToggle_, &QPushButton::clicked, this, &EquationEditorDialog::toggleAliases);
    layout->addLayout(tools);

    auto* groups = new QHBoxLayout;
    auto* range = new QGroupBox("Range", this);
    auto* rangeGrid = new QGridLayout(range);
    auto* levels = new QGroupBox(QString::fromStdString("Waveform " + quantity), this);
    auto* levelGrid = new QGridLayout(levels);
    const char* names[] = {"Start (pts)", "End (pts)", "Min", "Max", "Cycles"};
    for (int f = 0; f < EquationEditor::kFieldCount; ++f) {
        fields_[f] = new QLineEdit(this);
        fields_[f]->setObjectName(names[f]);
        QGridLayout* grid =
            f == EquationEditor::kMin || f == EquationEditor::kMax ? levelGrid : rangeGrid;
        int row = grid->rowCount();
        grid->addWidget(new QLabel(names[f], this), row, 0);
        grid->addWidget(fields_[f], row, 1);
    }
    original_ = new QRadioButton("Original", levels);
    scale_ = new QRadioButton("Scale", levels);
    autoScaling_ = new QCheckBox("Auto_Scaling", levels);
    levelGrid->addWidget(original_, levelGrid->rowCount(), 0);
    levelGrid->addWidget(scale_, levelGrid->rowCount() - 1, 1);
    levelGrid->addWidget(autoScaling_, levelGrid->rowCount(), 0, 1, 2);
    connect(original_, &QRadioButton::clicked, this, [this] { model_.SelectOriginal(); });
    connect(scale_, &QRadioButton::clicked, this, [this] { model_.SelectScale(); });
    connect(autoScaling_, &QCheckBox::clicked, this,
            [this](bool ticked) { model_.SetAutoScaling(ticked); });
    groups->addWidget(range);
    groups->addWidget(levels);
    layout->addLayout(groups);

    aliasPanel_ = new QGroupBox("Aliases", this);
    auto* aliasLayout = new QVBoxLayout(aliasPanel_);
    aliasRows_ = new AliasTableModel(model_.aliases, this);
    aliases_ = new QTableView(aliasPanel_);
    aliases_->setObjectName("aliases");
    aliases_->setModel(aliasRows_);
    aliases_->horizontalHeader()->setStretchLastSection(true);
    aliases_->verticalHeader()->hide();
    aliases_->setSelectionBehavior(QAbstractItemView::SelectRows);
    aliases_->setSelectionMode(QAbstractItemView::SingleSelection);
    aliases_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    aliasLayout->addWidget(aliases_);
    connect(aliases_, &QTableView::clicked, this, &EquationEditorDialog::onAliasClicked);
    auto* aliasButtons = new QHBoxLayout;
    connect(Button("Add", aliasPanel_, aliasButtons), &QPushButton::clicked, this,
            &EquationEditorDialog::addAlias);
    connect(Button("Delete", aliasPanel_, aliasButtons), &QPushButton::clicked, this, [this] {
        if (Show(prompter(),
                 model_.aliases.Delete(selectedAlias(), formula_->currentText().toStdString(),
                                       prompter())))
            showAliases();
    });
    connect(Button("Delete All", aliasPanel_, aliasButtons), &QPushButton::clicked, this, [this] {
        if (model_.aliases.DeleteAll(prompter()))
            showAliases();
    });
    auto* aliasWave = Button("Insert Wave", aliasPanel_, aliasButtons);
    aliasWave->setObjectName("aliasInsertWave");
    connect(aliasWave, &QPushButton::clicked, this, [this] {
        int row = selectedAlias();
        if (row < 0) {
            Show(prompter(), model_.aliases.Delete(row, {}, prompter())); // nothing is selected
            return;
        }
        QString path = chooseFile("Insert Wave", QtFileFilter(model_.WaveFilter()), false);
        if (path.isEmpty())
            return;
        model_.InsertAliasWave(static_cast<std::size_t>(row), path.toStdString());
        showAliases();
    });
    aliasLayout->addLayout(aliasButtons);
    layout->addWidget(aliasPanel_);

    auto* bottom = new QHBoxLayout;
    connect(Button("Preview", this, bottom), &QPushButton::clicked, this,
            &EquationEditorDialog::onPreview);
    connect(Button("Default", this, bottom), &QPushButton::clicked, this, [this] {
        model_.Default();
        showFields();
    });
    bottom->addStretch();
    auto* ok = Button("OK", this, bottom);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &EquationEditorDialog::onOk);
    connect(Button("Cancel", this, bottom), &QPushButton::clicked, this,
            &EquationEditorDialog::reject);
    layout->addLayout(bottom);
}

void EquationEditorDialog::showModel() {
    showFields();
    showHistory();
    showAliases();
    original_->setChecked(!model_.scaleSelected());
    scale_->setChecked(model_.scaleSelected());
    autoScaling_->setChecked(model_.autoScalingTicked());
    aliasPanel_->setVisible(model_.aliasesShown);
    aliasToggle_->setText(model_.aliasesShown ? "Aliases <<" : "Aliases >>");
}

void EquationEditorDialog::showFields() {
    for (int f = 0; f < EquationEditor::kFieldCount; ++f)
        fields_[f]->setText(QString::number(model_.fields[f], 'g', 15));
}

void EquationEditorDialog::showHistory() {
    formula_->clear();
    for (const std::string& h : model_.history)
        formula_->addItem(Text(h));
    if (model_.historyIndex >= 0)
        formula_->setCurrentIndex(model_.historyIndex);
    formula_->setEditText(Text(model_.formula));
}

void EquationEditorDialog::showAliases() {
    aliasRows_->reload();
}

void EquationEditorDialog::readFields() {
    model_.formula = formula_->currentText().toStdString();
    for (int f = 0; f < EquationEditor::kFieldCount; ++f) {
        bool ok = false;
        double v = fields_[f]->text().trimmed().toDouble(&ok);
        if (ok)
            model_.fields[f] = v;
    }
}

int EquationEditorDialog::selectedAlias() const {
    auto rows = aliases_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void EquationEditorDialog::onAliasClicked(const QModelIndex& index) {
    if (index.flags() & Qt::ItemIsEditable)
        aliases_->edit(index);
}

void EquationEditorDialog::addAlias() {
    if (!Show(prompter(), model_.aliases.Add()))
        return;
    showAliases();
    int row = static_cast<int>(model_.aliases.size()) - 1;
    aliases_->selectRow(row);
    aliases_->edit(aliasRows_->index(row, AliasTableModel::kNameColumn));
    if (auto* editor = aliases_->findChild<QLineEdit*>()) {
        editor->deselect();
        editor->setCursorPosition(1); // after the '{'
    }
}

void EquationEditorDialog::toggleAliases() {
    model_.aliasesShown = !model_.aliasesShown;
    aliasPanel_->setVisible(model_.aliasesShown);
    aliasToggle_->setText(model_.aliasesShown ? "Aliases <<" : "Aliases >>");
    adjustSize();
}

void EquationEditorDialog::onPreview() {
    readFields();
    bool shown = model_.Preview();
    showFields();
    if (!shown)
        return;
    model_.position = {x(), y()};
    bool accept = confirmPreview();
    model_.Confirm(accept);
    showHistory();
    if (accept)
        QDialog::accept();
}

void EquationEditorDialog::onOk() {
    readFields();
    model_.position = {x(), y()};
    bool closed = model_.Ok();
    showFields();
    if (closed)
        QDialog::accept();
}

void EquationEditorDialog::reject() {
    model_.Cancel();
    QDialog::reject();
}

bool EquationEditorDialog::confirmBar() {
    QDialog bar(this);
    bar.setWindowTitle("Confirm Preview");
    auto* row = new QHBoxLayout(&bar);
    auto* accept = new QPushButton("Accept", &bar);
    auto* back = new QPushButton("Back", &bar);
    row->addWidget(accept);
    row->addWidget(back);
    connect(accept, &QPushButton::clicked, &bar, &QDialog::accept);
    connect(back, &QPushButton::clicked, &bar, &QDialog::reject);
    return bar.exec() == QDialog::Accepted;
}

QString EquationEditorDialog::chooseWithDialog(const QString& caption, const QString& filter,
                                               bool save) {
    const QString folder = Text(model_.waveFolder());
    if (!save)
        return QFileDialog::getOpenFileName(this, caption, folder, filter);
    QFileDialog dialog(this, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("equ");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace tw
