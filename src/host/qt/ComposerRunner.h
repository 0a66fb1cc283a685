#pragma once
#include "host/ComposerKinds.h"

#include <QObject>
#include <QProcess>

#include <functional>
#include <string>

namespace tw {

// The one composer the host runs at a time: launched beside the exchange file with the host's
// link folder, and never left behind: stopped when its runner goes.
class ComposerRunner : public QObject {
  public:
    ComposerRunner();
    ~ComposerRunner() override;

    // Called when the composer's process has ended, with its exit code.
    void setFinished(std::function<void(int code)> finished) { finished_ = std::move(finished); }

    // False, with `error`, when the program cannot be started.
    bool start(const ComposerKind& kind, const std::string& program, const std::string& appData,
               const std::string& linkFolder, std::string& error);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    const ComposerKind& kind() const { return *kind_; }
    // Ends the process without asking it (a composer that never came up).
    void stop();

  private:
    QProcess process_;
    const ComposerKind* kind_ = &ComposerKindOf(0);
    std::function<void(int)> finished_;
};

} // namespace tw
