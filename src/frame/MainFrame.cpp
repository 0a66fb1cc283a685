#include "frame/MainFrame.h"

#include "app/Commands.h"
#include "app/LaunchState.h"
#include "app/MenuLayout.h"
#include "app/Startup.h"
#include "app/qt/ScreenFit.h"
#include "frame/AboutBox.h"
#include "frame/CommandIcons.h"
#include "frame/CommandShortcuts.h"
#include "frame/ComposerFactory.h"
#include "frame/FrameBars.h"
#include "frame/PrintCommands.h"
#include "frame/QtPulseFrame.h"
#include "frame/QtWaveFrame.h"
#include "frame/StatusReadout.h"
#include "frame/UserGuide.h"
#include "host/HostEvents.h"
#include "host/HostLink.h"
#include "host/qt/QtHostLink.h"
#include "pulse/PulseComposer.h"
#include "view/qt/WeditVw.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>

namespace tw {

MainFrame::MainFrame(const LaunchState& session, int resourceSet, QWidget* parent)
    : MainFrame(MakeComposer(session), resourceSet, parent) {}

MainFrame::MainFrame(ComposerChoice choice, int resourceSet, QWidget* parent)
    : QMainWindow(parent), resourceSet_(resourceSet), composer_(std::move(choice.composer)),
      profile_(std::move(choice.profile)), ready_(new QLabel("Ready", this)) {
    // Qt reports only real changes, so a paint that sets the same title again logs nothing.
    connect(this, &QWidget::windowTitleChanged, this, [this] {
        AppendLog(composer_->session(), "-----------appName=" + composer_->session().appName);
    });
    setWindowIcon(ApplicationIcon());
    KeepWindowsOnScreen(); // this window, its dialogs and message boxes, at any scale
    statusBar()->addWidget(ready_, 1);
    buildMenus();
    addFrameCommands();
    InstallPrintCommands(*this);
    if (choice.pulse)
        pulse_ = std::make_unique<QtPulseFrame>(*this, *choice.pulse);
    else
        wave_ = std::make_unique<QtWaveFrame>(*this, *composer_);
    InstallReadout(*this);
    bars_ = new FrameBars(*this);
    if (wave_)
        wave_->setBars(bars_);
    if (pulse_)
        pulse_->showTrainText(); // the bars hold its box only now
    view_->barMenuRequested = [this](QPoint global) { bars_->showBarMenu(global); };
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        bars_->applyVisibility();
        updateCommands();
    });
    timer->start(100);
    updateCommands();
    view_->setFocus(); // the window opens with the keys on the plot
}

void MainFrame::setView(PlotView& view, WeditVw* waveView) {
    view_ = &view;
    waveView_ = waveView;
    takeCentralWidget(); // an earlier view stays its part's, which deletes it
    setCentralWidget(view_);
}

MainFrame::~MainFrame() {
    // The composers' commands point into the bars and the view, so they go first.
    pulse_.reset();
    wave_.reset();
    delete bars_;
}

void MainFrame::buildMenus() {
    for (const MenuDef& def : MenuLayout(resourceSet_, composer_->session().appName)) {
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(def.title));
        for (const MenuItem& item : def.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* a = action(item.id);
            a->setText(QString::fromStdString(item.text));
            menu->addAction(a);
        }
        connect(menu, &QMenu::aboutToShow, this, &MainFrame::updateCommands);
        menu->installEventFilter(this);
    }
}

void MainFrame::addFrameCommands() {
    setCommand(kCmdExit, {[this] { close(); }, {}, {}});
    setCommand(kCmdAbout, {[this] { showAbout(); }, {}, {}});
    setCommand(kCmdUserGuide,
               {[this] { OpenUserGuide(composer_->session().appName, this); }, {}, {}});
    setCommand(kCmdStatusBar, {[this] { statusBar()->setVisible(!statusBar()->isVisible()); },
                               {},
                               [this] { return statusBar()->isVisible(); }});
}

QAction* MainFrame::action(int id) {
    if (auto it = actions_.find(id); it != actions_.end())
        return it->second;
    auto* a = new QAction(QString::fromStdString(CommandToolTip(id)), this);
    a->setData(id);
    a->setStatusTip(QString::fromStdString(CommandStatusText(id)));
    a->setToolTip(QString::fromStdString(CommandToolTip(id)));
    a->setIcon(CommandIcon(id));
    a->setShortcuts(CommandShortcuts(id));
    a->setEnabled(false);
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    actions_[id] = a;
    return a;
}

void MainFrame::setCommand(int id, Command command) {
    QAction* a = action(id);
    a->setCheckable(bool(command.checked));
    commands_[id] = std::move(command);
    updateCommands();
}

void MainFrame::runCommand(int id) {
    auto it = commands_.find(id);
    if (it == commands_.end() || !it->second.run)
        return;
    if (it->second.enabled && !it->second.enabled())
        return;
    it->second.run();
    updateCommands();
}

void MainFrame::updateCommands() {
    for (auto& [id, a] : actions_) {
        auto it = commands_.find(id);
        bool has = it != commands_.end() && it->second.run;
        a->setEnabled(has && (!it->second.enabled || it->second.enabled()));
        // A command may show a state it cannot change (the pulse-train composer's channel).
        if (it != commands_.end() && it->second.checked)
            a->setChecked(it->second.checked());
    }
}

void MainFrame::showAbout() {
    AboutBox box(composer_->session().appName, this);
    box.exec();
}

void MainFrame::attachLink(QtHostLink& link) {
    LinkHandlers handlers;
    handlers.event = [this](std::string_view name, long first, long second) {
        notify(name, first, second);
    };
    link_ = std::make_unique<QtLinkWindow>(link, std::move(handlers));
    link_->setTitle(windowTitle().toStdString());
    connect(this, &QWidget::windowTitleChanged, this,
            [this](const QString& title) { link_->setTitle(title.toStdString()); });
}

void MainFrame::notify(std::string_view name, long first, long second) {
    if (name == kHostEventName)
        hostEvent(first, second);
    else if (name == kProgressNoticeName)
        progressNotice(first, second);
}

void MainFrame::hostEvent(long code, long data) {
    HostEventAction act = DecideHostEvent(composer_->hostEvents(), code, data);
    switch (act.kind) {
    case HostEventAction::Close:
        close();
        break;
    case HostEventAction::Move:
        move(act.x, act.y);
        raise();
        activateWindow();
        break;
    case HostEventAction::Reread:
        reread();
        break;
    case HostEventAction::Ignore:
        break;
    }
}

// Host event 4. With its parameter bar showing, the FM composer outside FP-segment mode follows
// the host's FM settings instead of its channel and segment.
void MainFrame::reread() {
    if (wave_ && composer_->followsHostSettings() && bars_->visible(FrameBars::kParmBand)) {
        wave_->rereadFmSettings();
        return;
    }
    if (wave_)
        wave_->document().RereadActive();
    else if (pulse_)
        pulse_->composer().RereadChannel();
    emit hostReread();
    view_->update();
}

int MainFrame::progressNotice(long position, long show) {
    return view_->progressNotice(position, show);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            hovered_ = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (hovered_ && !hovered_->isEnabled())
                statusBar()->showMessage(hovered_->statusTip());
        }
    return QMainWindow::eventFilter(watched, event);
}

bool MainFrame::event(QEvent* event) {
    // Menus clear the status bar on a disabled item; keep what the command would do.
    if (event->type() == QEvent::StatusTip && hovered_ && !hovered_->isEnabled() &&
        QApplication::activePopupWidget()) {
        statusBar()->showMessage(hovered_->statusTip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (pulse_)
        pulse_->close();
    event->accept();
}

} // namespace tw
