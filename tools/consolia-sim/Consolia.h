#pragma once
#include "host/ComposerKinds.h"
#include "host/qt/ComposerRunner.h"
#include "host/qt/QtHostLink.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tw::sim {

struct Options {
    std::string composer = "standard"; // standard, fm or pulse
    std::string tidewright;            // the program to launch
    std::string appData;               // the application-data folder
    std::string dataDir;               // the bundled instruments and exchange-file template
    std::string instrument = "TW2014"; // data/instrument/<instrument>.ini, the model's name
    std::string title;                 // empty: "Consolia - <instrument> (simulated)"
    bool launch = true;
    bool keepExchange = false;
    int expect = -1; // quit after this many messages (texts and notifications); -1: never
    int timeout = 0; // seconds; 0: none
    std::vector<std::string> actions; // stdin-style commands run once the composer is up
};

// Why the simulator stopped: 0 normal, 1 a start-up problem, 2 the timeout.
enum Exit { kDone = 0, kProblem = 1, kTimedOut = 2 };

// Plays the host: writes the exchange file, answers host messages, launches the composer and
// posts it events.
class Consolia : public QObject {
  public:
    // The session names the caption of its messages and reports a failed rewrite; it outlives
    // the simulator.
    Consolia(Options options, const LaunchState& session);
    ~Consolia() override;
    bool start(); // false after printing why it cannot

    // One command as typed on standard input; false for an unknown one (after a hint).
    bool command(const std::string& line);

  private:
    std::string exchangeFile() const;
    bool writeExchangeFile();
    const ComposerKind& kind() const;
    std::string composerTitle() const;
    void launchComposer();
    void received(std::string_view text);
    void notified(std::string_view name, long first, long second);
    void counted();
    void tick();
    void readStdin();
    void finish(int code);
    bool postHostEvent(long code, long data);

    Options o_;
    const LaunchState& session_;
    QtHostLink link_;
    std::unique_ptr<QtLinkWindow> window_;
    ComposerRunner composer_;
    QTimer ticker_;
    std::unique_ptr<QSocketNotifier> stdin_;
    std::deque<std::string> pending_; // actions waiting for the composer's window
    std::string input_;
    int messages_ = 0;
    bool finishing_ = false;
};

} // namespace tw::sim
