#pragma once
#include "frame/FrameProfile.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QLabel;

namespace tw {

class Composer;
struct ComposerChoice;
struct LaunchState;
class FrameBars;
class QtPulseFrame;
class QtWaveFrame;
class QtHostLink;
class QtLinkWindow;
class PlotView;
class WeditVw;

// The one frame window: menus of the start-up resource set, status bar, the view, and the
// host's notifications. It builds the run's composer from the session it is handed and gives it
// to its parts. Subsystems give commands their handlers with setCommand; menu items without a
// handler stay disabled.
class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    MainFrame(const LaunchState& session, int resourceSet, QWidget* parent = nullptr);
    ~MainFrame() override;

    struct Command {
        std::function<void()> run;
        std::function<bool()> enabled; // empty: always enabled
        std::function<bool()> checked; // empty: never checked
    };
    void setCommand(int id, Command command);
    // The one action of a command, shared by menus and bars; made on first use.
    QAction* action(int id);
    void runCommand(int id);
    void updateCommands();

    int resourceSet() const { return resourceSet_; }
    Composer& composer() const { return *composer_; }
    const FrameProfile& profile() const { return *profile_; }
    // The central plot: the wave composers' view or the pulse train's.
    PlotView* plotView() const { return view_; }
    // The wave composers' view; none with the pulse composer.
    WeditVw* view() const { return waveView_; }
    // The composer's part hands the frame the view it made and deletes.
    void setView(PlotView& view, WeditVw* waveView = nullptr);
    FrameBars* bars() const { return bars_; }
    QtWaveFrame* waveFrame() const { return wave_.get(); }

    // Registers the frame on the link under its window title, following every title change.
    void attachLink(QtHostLink& link);
    void hostEvent(long code, long data);
    int progressNotice(long position, long show);
    void showAbout();

  signals:
    // Host event 4 re-read the active channel and segment (the document's, or the pulse
    // composer's channel).
    void hostReread();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    MainFrame(ComposerChoice choice, int resourceSet, QWidget* parent);
    void buildMenus();
    void addFrameCommands();
    void notify(std::string_view name, long first, long second);
    void reread();

    int resourceSet_;
    std::unique_ptr<Composer> composer_; // outlives the parts below, which are given it
    std::unique_ptr<FrameProfile> profile_;
    PlotView* view_ = nullptr;
    WeditVw* waveView_ = nullptr;
    QLabel* ready_;
    QPointer<QAction> hovered_; // the menu item under the mouse
    std::map<int, QAction*> actions_;
    std::map<int, Command> commands_;
    std::unique_ptr<QtLinkWindow> link_;
    std::unique_ptr<QtPulseFrame> pulse_;
    std::unique_ptr<QtWaveFrame> wave_; // the standard and FM composers' document and tools
    FrameBars* bars_ = nullptr;
};

} // namespace tw
