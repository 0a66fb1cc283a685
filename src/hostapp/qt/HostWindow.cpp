#include "hostapp/qt/HostWindow.h"

#include "app/Prompter.h"
#include "app/WindowPlacement.h"
#include "app/qt/AppProfile.h"
#include "app/qt/ProgressDialog.h"
#include "app/qt/ScreenFit.h"
#include "host/qt/QtHostLink.h"
#include "hostapp/FilesOnly.h"
#include "hostapp/LoggedTransport.h"
#include "hostapp/qt/LogView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tw {

namespace {

constexpr const char* kCaption = "Tidewright Host";
// A composer asked to close may ask its user first; after this long the host stays open.
constexpr int kCloseWaitMs = 60000;
// A transfer this large shows its progress at once rather than after a moment.
constexpr std::uint64_t kShowAtOnceBytes = 64u << 20;
// The composers open at this size (tidewright's main).
constexpr int kComposerWidth = 1024, kComposerHeight = 700;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

WindowRect RectOf(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

} // namespace

HostWindow::HostWindow(QtHostLink& link, HostSetup setup, QWidget* parent)
    : QMainWindow(parent), link_(link), setup_(std::move(setup)),
      exchange_(setup_.appData, prompter(), kCaption) {
    LinkHandlers handlers;
    handlers.text = [this](std::string_view text) { carryOut(text); };
    handlers.event = [this](std::string_view name, long first, long second) {
        noticed(name, first, second);
    };
    linkWindow_ = std::make_unique<QtLinkWindow>(link_, std::move(handlers));
    composer_.setFinished([this](int code) { composerFinished(code); });
    buildMenus();
    setCentralWidget(buildPanel());
    closeWait_.setSingleShot(true);
    closeWait_.setInterval(kCloseWaitMs);
    connect(&closeWait_, &QTimer::timeout, this, [this] { closeAfterComposer_ = false; });
    placeWait_.setInterval(200);
    connect(&placeWait_, &QTimer::timeout, this, &HostWindow::placeComposer);
    restoreSettings();
    updateState();
    KeepWindowsOnScreen(); // a remembered placement off this screen is pulled back
}

HostWindow::~HostWindow() {
    // The composer goes first, while the link still answers its last messages; the window that
    // would follow its end is going already.
    composer_.setFinished(nullptr);
    composer_.stop();
}

void HostWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Save Log...", this, &HostWindow::saveLog);
    file->addAction("&Clear Log", this, [this] {
        if (auto* view = findChild<LogView*>())
            view->clear();
    });
    file->addSeparator();
    file->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

    QMenu* instrument = menuBar()->addMenu("&Instrument");
    instrument->addAction("&Test Connection", this, &HostWindow::testConnection);
    simulated_ =
        instrument->addAction("&Simulated Instrument", this, &HostWindow::useSimulatedInstrument);
    filesOnly_ = instrument->addAction("&Files Only...");
    filesOnly_->setCheckable(true);
    connect(filesOnly_, &QAction::triggered, this, &HostWindow::chooseFilesOnlyFolder);

    QMenu* composers = menuBar()->addMenu("&Composers");
    for (int id = 0; id < kComposerKinds; ++id) {
        composerActions_[id] =
            composers->addAction(QString("&%1 %2").arg(id + 1).arg(ComposerKindOf(id).name), this,
                                 [this, id] { startComposer(id); });
        composerActions_[id]->setShortcut(QKeySequence(QString("Ctrl+%1").arg(id + 1)));
    }
    composers->addSeparator();
    composers->addAction("&Bring Forward", this, &HostWindow::placeComposer);
}

QWidget* HostWindow::buildPanel() {
    auto* panel = new QWidget;
    auto* top = new QGridLayout;

    auto* instrumentBox = new QGroupBox("Instrument");
    auto* instrumentForm = new QFormLayout(instrumentBox);
    instrument_ = new QComboBox;
    for (const std::string& model : InstrumentModels(setup_.instrumentFolder))
        instrument_->addItem(Q(model));
    instrumentForm->addRow("&Model:", instrument_);
    factsLabel_ = new QLabel;
    factsLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    instrumentForm->addRow(factsLabel_);
    connect(instrument_, &QComboBox::currentTextChanged, this, &HostWindow::chooseInstrument);

    auto* connectionBox = new QGroupBox("Connection");
    auto* connection = new QGridLayout(connectionBox);
    resource_ = new QLineEdit;
    resource_->setPlaceholderText("tcp://host:5025 or usbtmc:///dev/usbtmc0");
    resource_->setToolTip("Where the instrument is reached");
    testButton_ = new QPushButton("&Test");
    testButton_->setToolTip("Ask the instrument who it is (*IDN?)");
    auto* simulatedButton = new QPushButton("S&imulated");
    simulatedButton->setToolTip("Start the simulated instrument on this computer and connect");
    connection_ = new QLabel;
    connection_->setWordWrap(true);
    connection->addWidget(new QLabel("&Resource:"), 0, 0);
    connection->addWidget(resource_, 0, 1);
    connection->addWidget(testButton_, 0, 2);
    connection->addWidget(simulatedButton, 0, 3);
    connection->addWidget(connection_, 1, 0, 1, 4);
    qobject_cast<QLabel*>(connection->itemAtPosition(0, 0)->widget())->setBuddy(resource_);
    connect(resource_, &QLineEdit::editingFinished, this, &HostWindow::resourceChanged);
    connect(testButton_, &QPushButton::clicked, this, &HostWindow::testConnection);
    connect(simulatedButton, &QPushButton::clicked, this, &HostWindow::useSimulatedInstrument);

    auto* activeBox = new QGroupBox("Active");
    auto* activeForm = new QFormLayout(activeBox);
    channel_ = new QSpinBox;
    segment_ = new QSpinBox;
    activeForm->addRow("&Channel:", channel_);
    activeForm->addRow("S&egment:", segment_);
    for (QSpinBox* box : {channel_, segment_}) {
        box->setKeyboardTracking(false);
        connect(box, &QSpinBox::valueChanged, this, &HostWindow::activeChanged);
    }

    auto* composersBox = new QGroupBox("Composers");
    auto* composers = new QVBoxLayout(composersBox);
    for (int id = 0; id < kComposerKinds; ++id) {
        composerButtons_[id] = new QPushButton(ComposerKindOf(id).name);
        composers->addWidget(composerButtons_[id]);
        connect(composerButtons_[id], &QPushButton::clicked, this,
                [this, id] { startComposer(id); });
    }
    composerState_ = new QLabel;
    composers->addWidget(composerState_);

    top->addWidget(instrumentBox, 0, 0);
    top->addWidget(activeBox, 0, 1);
    top->addWidget(composersBox, 0, 2, 2, 1);
    top->addWidget(connectionBox, 1, 0, 1, 2);
    top->setColumnStretch(0, 1);

    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(top);
    layout->addWidget(new LogView(log_), 1);
    return panel;
}

void HostWindow::chooseInstrument(const QString& model) {
    const FactsLoad load =
        LoadInstrumentFacts(setup_.instrumentFolder + "/" + model.toStdString() + ".ini");
    if (!load.error.empty()) {
        report(load.error);
        return;
    }
    facts_ = load.facts;
    session_.reset();
    factsLabel_->setText(
        QString("%1\n%2 channel%3; segments %4 to %5\nsegment size %6 to %7 points")
            .arg(Q(facts_.name))
            .arg(facts_.channels)
            .arg(facts_.channels == 1 ? "" : "s")
            .arg(facts_.firstSegment)
            .arg(facts_.lastSegment)
            .arg(QLocale().toString(qlonglong(facts_.minPoints)))
            .arg(QLocale().toString(qlonglong(facts_.maxPoints))));
    {
        const QSignalBlocker a(channel_), b(segment_);
        channel_->setRange(1, facts_.channels);
        segment_->setRange(facts_.firstSegment, facts_.lastSegment);
    }
    active_ = {channel_->value() - 1, segment_->value()};
    updateTitle();
    log_.add(HostLog::Kind::Note, "Instrument: " + facts_.name + " (" + facts_.descrFile + ")");
    if (const std::string note = MissingProfileNote(setup_.instrumentFolder, facts_.model);
        !note.empty())
        log_.add(HostLog::Kind::Error, note); // a box follows when the user reaches for it
    if (simulator_.running())
        useSimulatedInstrument(); // the simulator plays one model
    writeExchange();
    updateState();
}

void HostWindow::updateTitle() {
    std::string title = std::string(kCaption) + " - " + facts_.name;
    if (!TitleSurvivesProfileRead(title))
        title = kCaption;
    setWindowTitle(Q(title));
    linkWindow_->setTitle(title);
}

bool HostWindow::writeExchange() {
    if (facts_.descrFile.empty())
        return false;
    if (const std::string error = exchange_.write(facts_, windowTitle().toStdString(), active_);
        !error.empty()) {
        report(error);
        return false;
    }
    return true;
}

void HostWindow::activeChanged() {
    active_ = {channel_->value() - 1, segment_->value()};
    if (!writeExchange())
        return;
    log_.add(HostLog::Kind::Note, "Active channel " + std::to_string(active_.channel + 1) +
                                      ", segment " + std::to_string(active_.segment));
    postToComposer(kHostEventName, kRereadEvent, 0);
}

void HostWindow::resourceChanged() {
    session_.reset();
    updateState();
}

InstrumentSession* HostWindow::session() {
    if (!session_) {
        LoggedSessionOpen open = OpenLoggedSession(resource_->text().trimmed().toStdString(),
                                                   setup_.instrumentFolder, facts_.model, log_);
        if (!open.session) {
            report(open.error);
            return nullptr;
        }
        session_ = std::move(open.session);
        connection_->setText("Connected: " + Q(open.identity));
    }
    return session_.get();
}

bool HostWindow::testConnection() {
    if (busy_)
        return false;
    session_.reset();
    connection_->setText("Testing...");
    const bool ok = session() != nullptr;
    if (!ok)
        connection_->setText("Not connected");
    return ok;
}

bool HostWindow::useSimulatedInstrument() {
    if (busy_)
        return false;
    StopSimulator(simulator_);
    simulator_ = LaunchSimulator(setup_.simulator,
                                 {"--listen", "127.0.0.1:0", "--instrument", facts_.model});
    if (!simulator_.error.empty()) {
        report(simulator_.error);
        return false;
    }
    const std::string resource = simulator_.resource();
    log_.add(HostLog::Kind::Note, "Simulated " + facts_.model + " listening at " + resource);
    resource_->setText(Q(resource));
    setFilesOnlyFolder("");
    return testConnection();
}

void HostWindow::chooseFilesOnlyFolder(bool on) {
    if (!on) {
        setFilesOnlyFolder("");
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(
        this, "Folder for the composers' messages and files", Q(filesOnlyFolder_));
    setFilesOnlyFolder(folder.toStdString());
}

void HostWindow::setFilesOnlyFolder(const std::string& folder) {
    filesOnlyFolder_ = folder;
    if (!folder.empty())
        log_.add(HostLog::Kind::Note, "Files only: messages are kept in " + folder);
    updateState();
}

void HostWindow::updateState() {
    const bool running = composer_.running();
    for (int id = 0; id < kComposerKinds; ++id) {
        composerActions_[id]->setEnabled(!running);
        composerButtons_[id]->setEnabled(!running);
    }
    instrument_->setEnabled(!running); // a running composer works with this instrument's limits
    composerState_->setText(running ? QString("Running: ") + composer_.kind().name
                                    : "No composer running");
    filesOnly_->setChecked(!filesOnlyFolder_.empty());
    if (!filesOnlyFolder_.empty())
        connection_->setText("Files only: messages and files go to " + Q(filesOnlyFolder_));
    else if (!MissingProfileNote(setup_.instrumentFolder, facts_.model).empty())
        connection_->setText("No instrument profile for the " + Q(facts_.model) +
                             ": Files Only keeps the composers' messages");
    else if (!session_)
        connection_->setText(simulator_.running() ? "Simulated instrument" : "Not connected");
}

void HostWindow::report(const std::string& text) {
    log_.add(HostLog::Kind::Error, text);
    ask(kCaption, text, Buttons::Ok, Icon::Exclamation);
}

void HostWindow::carryOut(std::string_view message) {
    log_.add(HostLog::Kind::Message, std::string(message));
    if (busy_) {
        log_.add(HostLog::Kind::Error, "A message arrived while another was carried out");
        return;
    }
    busy_ = true;
    if (!filesOnlyFolder_.empty()) {
        const KeptMessage kept = KeepMessage(message, exchange_.path(), filesOnlyFolder_);
        if (!kept.error.empty())
            report(kept.error);
        else
            log_.add(HostLog::Kind::Note, "Kept as " + kept.files.back());
    } else if (InstrumentSession* s = session()) {
        std::unique_ptr<ProgressDialog> progress;
        lastNotice_ = -1;
        auto advance = [&](std::uint64_t sent, std::uint64_t total) {
            if (!progress)
                progress = std::make_unique<ProgressDialog>(this, "Sending to the instrument...",
                                                            total >= kShowAtOnceBytes ? 0 : 400);
            const int percent = total ? static_cast<int>(sent * 100 / total) : 0;
            if (percent != lastNotice_) {
                lastNotice_ = percent;
                postToComposer(kProgressNoticeName, percent, 1);
            }
            return progress->advance(sent, total);
        };
        const Outcome outcome = s->execute(message, exchange_.path(), advance);
        progress.reset();
        if (lastNotice_ >= 0)
            postToComposer(kProgressNoticeName, 0, 0);
        if (outcome.cancelled)
            log_.add(HostLog::Kind::Error, outcome.message());
        else if (!outcome.ok())
            report(outcome.message());
        else
            log_.add(HostLog::Kind::Note, "Done");
    }
    busy_ = false;
}

bool HostWindow::postToComposer(const char* name, long first, long second) {
    if (!composer_.running())
        return false;
    const std::string title = exchange_.composerTitle(composer_.kind());
    return !title.empty() && link_.postTo(title, name, first, second);
}

void HostWindow::startComposer(int composerId) {
    if (busy_)
        return;
    const ComposerKind& kind = ComposerKindOf(composerId);
    if (composer_.running()) {
        ask(kCaption,
            std::string("The ") + composer_.kind().name +
                " is open; close it before starting the " + kind.name + ".",
            Buttons::Ok, Icon::Information);
        return;
    }
    if (!writeExchange())
        return;
    exchange_.forgetComposerTitle(kind);
    std::string error;
    if (!composer_.start(kind, setup_.composer, setup_.appData, link_.folder(), error)) {
        report(error);
        return;
    }
    log_.add(HostLog::Kind::Note, std::string("Started the ") + kind.name);
    placeWait_.start();
    updateState();
}

void HostWindow::placeComposer() {
    if (!composer_.running()) {
        placeWait_.stop();
        return;
    }
    const std::string title = exchange_.composerTitle(composer_.kind());
    if (title.empty())
        return; // not up yet
    const std::vector<std::string> titles = link_.titles();
    if (std::find(titles.begin(), titles.end(), title) == titles.end())
        return;
    placeWait_.stop();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect frame = WindowFrame(*this);
    const WindowRect at =
        PlaceBeside(RectOf(frame), frame.top(), RectOf(screen->availableGeometry()), kComposerWidth,
                    kComposerHeight);
    postToComposer(kHostEventName, composer_.kind().moveEvent, MoveEventData(at.left, at.top));
}

void HostWindow::noticed(std::string_view name, long first, long second) {
    if (name != kComposerClosedName)
        return;
    if (first == kPulseHandedOverNotice && second == 1) {
        log_.add(HostLog::Kind::Note, "Trainsmith handed its train over as one segment");
        return;
    }
    if (const int id = ComposerOfClosedNotice(first); id >= 0)
        log_.add(HostLog::Kind::Note, std::string("The ") + ComposerKindOf(id).name + " closed");
}

void HostWindow::composerFinished(int code) {
    placeWait_.stop();
    if (code != 0)
        log_.add(HostLog::Kind::Error, std::string("The ") + composer_.kind().name +
                                           " ended with exit code " + std::to_string(code));
    updateState();
    if (closeAfterComposer_) {
        closeAfterComposer_ = false;
        close();
    }
}

void HostWindow::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    if (composer_.running()) {
        // The composer closes first, asking its user where there is something to ask; the host
        // follows when it has gone.
        if (postToComposer(kHostEventName, composer_.kind().closeEvent, 0)) {
            event->ignore();
            closeAfterComposer_ = true;
            closeWait_.start();
            return;
        }
        composer_.stop(); // never came up: nothing of the user's in it yet
    }
    storeSettings();
    event->accept();
}

void HostWindow::saveLog() {
    const QString path = QFileDialog::getSaveFileName(this, "Save Log", "tidewright-host.log",
                                                      "Log files (*.log *.txt);;All files (*)");
    if (path.isEmpty())
        return;
    if (const FileResult saved = log_.save(path.toStdString()); !saved)
        report(saved.message());
    else
        log_.add(HostLog::Kind::Note, "Log saved to " + path.toStdString());
}

void HostWindow::restoreSettings() {
    const std::unique_ptr<QSettings> profile = OpenAppProfile();
    profile->beginGroup("Host");
    const QString model = profile->value("Instrument", "TW2014").toString();
    const QString resource = profile->value("Resource").toString();
    const QString folder = profile->value("FilesOnlyFolder").toString();
    const QByteArray geometry = profile->value("Geometry").toByteArray();
    profile->endGroup();
    resource_->setText(resource);
    const int at = instrument_->findText(model);
    if (at >= 0 && at != instrument_->currentIndex())
        instrument_->setCurrentIndex(at);
    else if (instrument_->count() > 0)
        chooseInstrument(instrument_->currentText());
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        setFilesOnlyFolder(folder.toStdString());
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(900, 640);
}

void HostWindow::storeSettings() const {
    const std::unique_ptr<QSettings> profile = OpenAppProfile();
    profile->beginGroup("Host");
    profile->setValue("Instrument", instrument_->currentText());
    profile->setValue("Resource", resource_->text());
    profile->setValue("FilesOnlyFolder", Q(filesOnlyFolder_));
    profile->setValue("Geometry", saveGeometry());
    profile->endGroup();
}

} // namespace tw
