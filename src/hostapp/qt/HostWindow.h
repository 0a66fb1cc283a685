#pragma once
#include "host/qt/ComposerRunner.h"
#include "hostapp/HostExchange.h"
#include "hostapp/HostLog.h"
#include "hostapp/InstrumentFacts.h"
#include "hostapp/qt/HostPrograms.h"
#include "instrument/InstrumentSession.h"
#include "instrument/SimulatorLaunch.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tw {

class QtHostLink;
class QtLinkWindow;

// Tidewright Host's main window: the instrument and its connection, the active channel and
// segment, the composers it launches, and the log of what it carried out for them.
class HostWindow : public QMainWindow {
  public:
    HostWindow(QtHostLink& link, HostSetup setup, QWidget* parent = nullptr);
    ~HostWindow() override;

    // The actions and controls a user (and a test) reaches.
    QAction* composerAction(int composerId) const { return composerActions_[composerId]; }
    QAction* simulatedAction() const { return simulated_; }
    QAction* filesOnlyAction() const { return filesOnly_; }
    QPushButton* testButton() const { return testButton_; }
    QLineEdit* resourceBox() const { return resource_; }
    QComboBox* instrumentBox() const { return instrument_; }
    QSpinBox* channelBox() const { return channel_; }
    QSpinBox* segmentBox() const { return segment_; }
    const HostLog& log() const { return log_; }
    const HostExchange& exchange() const { return exchange_; }
    bool composerRunning() const { return composer_.running(); }

    // What the menu entries do.
    void startComposer(int composerId);
    bool useSimulatedInstrument();
    bool testConnection();
    void setFilesOnlyFolder(const std::string& folder); // "" leaves files-only mode
    void carryOut(std::string_view message);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    QWidget* buildPanel();
    void chooseInstrument(const QString& model);
    void activeChanged();
    void resourceChanged();
    bool writeExchange();
    void updateTitle();
    void updateState();
    void noticed(std::string_view name, long first, long second);
    void composerFinished(int code);
    void placeComposer();
    bool postToComposer(const char* name, long first, long second);
    InstrumentSession* session();
    void report(const std::string& text); // logged as an error and shown in a box
    void saveLog();
    void chooseFilesOnlyFolder(bool on);
    void restoreSettings();
    void storeSettings() const;

    QtHostLink& link_;
    HostSetup setup_;
    HostExchange exchange_;
    HostLog log_;
    InstrumentFacts facts_;
    ChannelSegment active_;
    std::unique_ptr<QtLinkWindow> linkWindow_;
    ComposerRunner composer_;
    SimulatorLaunch simulator_; // stopped with the window
    std::unique_ptr<InstrumentSession> session_;
    std::string filesOnlyFolder_;
    bool busy_ = false; // a message is being carried out
    bool closeAfterComposer_ = false;
    QTimer closeWait_; // gives up closing when the composer stays open
    QTimer placeWait_; // waits for a new composer's window to place it
    int lastNotice_ = -1;

    QComboBox* instrument_ = nullptr;
    QLabel* factsLabel_ = nullptr;
    QLineEdit* resource_ = nullptr;
    QPushButton* testButton_ = nullptr;
    QLabel* connection_ = nullptr;
    QSpinBox* channel_ = nullptr;
    QSpinBox* segment_ = nullptr;
    QLabel* composerState_ = nullptr;
    QAction* composerActions_[kComposerKinds] = {};
    QPushButton* composerButtons_[kComposerKinds] = {};
    QAction* simulated_ = nullptr;
    QAction* filesOnly_ = nullptr;
};

} // namespace tw
