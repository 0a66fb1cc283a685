#include "pulse/qt/PulseEditorDialog.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "app/WindowPlacement.h"
#include "app/qt/ScreenFit.h"
#include "pulse/PulseComposer.h"
#include "pulse/qt/PulseSectionModel.h"

#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <sstream>
#include <utility>

namespace tw {

namespace {

std::string placementText(const QWidget& w) {
    QRect r = w.geometry();
    std::ostringstream out;
    out << r.left() << ' ' << r.top() << ' ' << r.right() << ' ' << r.bottom();
    return out.str();
}

std::string drawRect(const LaunchState& session, const char* key) {
    std::string v;
    ProfileRecord(session, "DrawRect", key, v, 260, session.generalIni, true);
    return v;
}

} // namespace

PulseEditorDialog::PulseEditorDialog(PulseComposer& composer, QWidget* parent)
    : QDialog(parent), composer_(composer) {
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* formats = new QGroupBox("Pulse Train Design Format", this);
    auto* formatRow = new QHBoxLayout(formats);
    dcButton_ = new QRadioButton("DC Intervals", formats);
    pointsButton_ = new QRadioButton("Time/Level Points", formats);
    formatRow->addWidget(dcButton_);
    formatRow->addWidget(pointsButton_);
    layout->addWidget(formats);
    connect(dcButton_, &QRadioButton::clicked, this, [this] { chooseFormat(0); });
    connect(pointsButton_, &QRadioButton::clicked, this, [this] { chooseFormat(1); });

    auto* structure = new QGroupBox("Section Structure", this);
    auto* structureLayout = new QVBoxLayout(structure);
    rows_ = new PulseSectionModel(composer_.editor, this);
    table_ = new QTableView(structure);
    table_->setModel(rows_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    table_->verticalHeader()->hide();
    table_->setMouseTracking(true);
    structureLayout->addWidget(table_);
    layout->addWidget(structure, 1);
    connect(rows_, &PulseSectionModel::cellEdited, this, &PulseEditorDialog::refreshTexts);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!filling_)
                    composer_.SelectRow(current.row());
            });
    connect(table_, &QTableView::entered, this, [this](const QModelIndex& index) {
        if (index.column() > 0)
            status_->setText(QString::fromStdString(PulseEditor::StatusText(index.column())));
    });

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* text, auto slot) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    addButton("&Append", [this] {
        composer_.editor.AppendRow();
        reload();
        table_->setCurrentIndex(rows_->index(composer_.editor.selectedRow, 1));
    });
    addButton("&Insert",
              [this] { runRowCommand([](PulseComposer& c) { return c.editor.InsertRow(); }); });
    addButton("&Delete",
              [this] { runRowCommand([](PulseComposer& c) { return c.editor.DeleteRow(); }); });
    addButton("Delete &All", [this] {
        runRowCommand([](PulseComposer& c) {
            c.editor.DeleteAll();
            return true;
        });
    });
    undoButton_ = addButton(
        "&Undo", [this] { runRowCommand([](PulseComposer& c) { return c.editor.Undo(); }); });
    layout->addLayout(buttons);

    auto* properties = new QGroupBox("Section Properties", this);
    auto* grid = new QGridLayout(properties);
    grid->addWidget(new QLabel("Design Units", properties), 0, 0);
    unitsLabel_ = new QLabel(properties);
    grid->addWidget(unitsLabel_, 0, 1);
    grid->addWidget(new QLabel("Section Start", properties), 1, 0);
    startLabel_ = new QLabel(properties);
    grid->addWidget(startLabel_, 1, 1);
    auto* repeatLabel = new QLabel("&Repeat", properties);
    repeatEdit_ = new QLineEdit(properties);
    repeatEdit_->installEventFilter(this);
    repeatLabel->setBuddy(repeatEdit_);
    auto* apply = new QPushButton("Apply", properties);
    apply->setAutoDefault(false);
    grid->addWidget(repeatLabel, 2, 0);
    grid->addWidget(repeatEdit_, 2, 1);
    grid->addWidget(apply, 2, 2);
    connect(apply, &QPushButton::clicked, this, &PulseEditorDialog::applyRepeat);
    connect(repeatEdit_, &QLineEdit::editingFinished, this, &PulseEditorDialog::applyRepeat);
    grid->addWidget(new QLabel("Duration (x &R)", properties), 3, 0);
    durationLabel_ = new QLabel(properties);
    grid->addWidget(durationLabel_, 3, 1);
    layout->addWidget(properties);

    status_ = new QLabel(this);
    layout->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->hide();
    layout->addWidget(progress_);

    resize(460, 520);
    reload();
}

PulseEditorDialog::~PulseEditorDialog() {
    if (isVisible()) // the frame closes with the editor shown: no hide event comes
        storePlacement();
}

void PulseEditorDialog::reload() {
    if (rows_->editing())
        return; // the edited cell refreshes the rows it changed itself
    PulseEditor& ed = composer_.editor;
    filling_ = true;
    rows_->reload();
    std::istringstream widths(drawRect(composer_.session(), "PulsColw"));
    int w, c = 0;
    while (widths >> w && c < rows_->columnCount())
        table_->setColumnWidth(c++, w);
    if (ed.selectedRow >= 0 && ed.selectedRow < ed.rowCount())
        table_->setCurrentIndex(rows_->index(ed.selectedRow, 1));
    filling_ = false;
    refreshTexts();
}

void PulseEditorDialog::showOpening(int rowsRead, int rows) {
    if (rows <= 200 || !isVisible())
        return;
    if (rowsRead >= rows) {
        progress_->hide();
        status_->clear();
        return;
    }
    if (progress_->isHidden()) {
        status_->setText("Opening. Wait, please...");
        progress_->show();
        layout()->activate();
    }
    if (rowsRead % 50 != 0)
        return;
    // Painted at once, without the event loop: the rows the table shows are being rebuilt.
    progress_->setValue(rowsRead * 100 / rows);
    status_->repaint();
    progress_->repaint();
}

void PulseEditorDialog::refreshTexts() {
    PulseEditor& ed = composer_.editor;
    setWindowTitle(QString::fromStdString(ed.Title()));
    dcButton_->setChecked(ed.format() == 0);
    pointsButton_->setChecked(ed.format() == 1);
    unitsLabel_->setText(QString::fromStdString(ed.DesignUnitsText()));
    startLabel_->setText(QString::fromStdString(ed.SectionStartText()));
    repeatEdit_->setText(QString::fromStdString(ed.RepeatText()));
    durationLabel_->setText(QString::fromStdString(ed.DurationText()));
    undoButton_->setEnabled(ed.CanUndo());
}

void PulseEditorDialog::chooseFormat(int format) {
    if (!composer_.editor.SetFormat(format))
        refreshTexts(); // refused: the buttons show the section's format again
    else
        reload();
}

void PulseEditorDialog::runRowCommand(bool (*command)(PulseComposer&)) {
    command(composer_);
    reload();
}

void PulseEditorDialog::applyRepeat() {
    if (repeatEdit_->text().toStdString() == composer_.editor.RepeatText())
        return;
    composer_.editor.ApplyRepeat(repeatEdit_->text().toStdString());
    refreshTexts(); // an accepted value, or the old one put back
}

bool PulseEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == repeatEdit_ && event->type() == QEvent::Enter)
        status_->setText(QString::fromStdString(PulseEditor::StatusText(0)));
    return QDialog::eventFilter(watched, event);
}

void PulseEditorDialog::storePlacement() const {
    WriteGeneralSetting(composer_.session(), "PulsCompDlg", placementText(*this), "DrawRect");
    std::string widths;
    for (int c = 0; c < rows_->columnCount(); ++c)
        widths += std::to_string(table_->columnWidth(c)) + " ";
    WriteGeneralSetting(composer_.session(), "PulsColw", widths, "DrawRect");
}

namespace {

QRect ScreenArea(const QWidget& w) {
    return w.screen()->availableGeometry();
}

WindowRect ToWindowRect(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

// The remembered rectangle, held on the screen; true when there is one.
bool PulseEditorDialog::restorePlacement() {
    std::istringstream in(drawRect(composer_.session(), "PulsCompDlg"));
    long l, t, r, b;
    if (!(in >> l >> t >> r >> b && r > l && b > t && r - l < 100000 && b - t < 100000))
        return false;
    const QSize least = minimumSizeHint();
    const WindowRect held = HoldOnScreen(
        {int(std::clamp(l, -100000L, 100000L)), int(std::clamp(t, -100000L, 100000L)),
         std::max(int(r - l + 1), least.width()), std::max(int(b - t + 1), least.height())},
        ToWindowRect(ScreenArea(*this)));
    setGeometry(held.left, held.top, held.width, held.height);
    return true;
}

// Beside the main window, clear of its menu and bars: the whole window with its frame, or an
// empty rectangle while the main window is not shown.
QRect PulseEditorDialog::frameBesideMain() const {
    auto* main = parentWidget() ? qobject_cast<QMainWindow*>(parentWidget()->window()) : nullptr;
    if (!main || !main->isVisible())
        return {};
    const QRect outer = WindowFrame(*this);
    const int barsBottom = main->centralWidget()
                               ? main->centralWidget()->mapToGlobal(QPoint(0, 0)).y()
                               : main->geometry().top();
    const WindowRect placed =
        PlaceBeside(ToWindowRect(WindowFrame(*main)), barsBottom, ToWindowRect(ScreenArea(*main)),
                    outer.width(), outer.height());
    return {placed.left, placed.top, placed.width, placed.height};
}

void PulseEditorDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    if (restorePlacement())
        return;
    // The window manager frames both windows a moment later and may move the editor on the
    // way, and the main window's bars settle (they wrap into rows as its width allows, once
    // the main window was fitted on the screen, which goes on for seconds). So the editor is
    // put back wherever it is not where it belongs, for as long as windows are fitted after a
    // show, until the main window has its frame (a busy machine frames it late, and its title
    // bar moves the bars down) and where it belongs stayed the same for two seconds.
    auto* settle = new QTimer(this);
    auto* main = parentWidget() ? qobject_cast<QMainWindow*>(parentWidget()->window()) : nullptr;
    auto place = [this, settle, main, before = QRect(),
                  fitting = QDeadlineTimer(kWindowFitMs + 1000), quiet = QDeadlineTimer(2000),
                  giveUp = QDeadlineTimer(30000)]() mutable {
        const QRect target = frameBesideMain();
        if (target != before)
            quiet = QDeadlineTimer(2000);
        before = target;
        if (!target.isEmpty() && WindowFrame(*this) != target)
            setGeometry(target.marginsRemoved(WindowFrameMargins(*this)));
        const bool mainFramed = !main || !OwnFrameMargins(*main).isNull();
        if ((fitting.hasExpired() && quiet.hasExpired() && mainFramed) || giveUp.hasExpired())
            settle->deleteLater();
    };
    place();
    connect(settle, &QTimer::timeout, this, place);
    settle->start(50);
}

void PulseEditorDialog::hideEvent(QHideEvent* event) {
    storePlacement();
    QDialog::hideEvent(event);
}

void PulseEditorDialog::closeEvent(QCloseEvent* event) {
    composer_.ShowEditor(false);
    QDialog::closeEvent(event);
}

} // namespace tw
