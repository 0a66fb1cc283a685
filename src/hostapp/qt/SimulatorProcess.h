#pragma once
#include <QProcess>

#include <string>

namespace tw {

// The simulated instrument, started on loopback for a machine without an instrument; stopped
// with its owner.
class SimulatorProcess {
  public:
    ~SimulatorProcess();
    // Starts `program` for `model` on a free loopback port; the resource that reaches it, or ""
    // with `error` set.
    std::string start(const std::string& program, const std::string& model, std::string& error);
    void stop();
    bool running() const { return process_.state() != QProcess::NotRunning; }
    const std::string& resource() const { return resource_; }

  private:
    QProcess process_;
    std::string resource_;
};

// "listening on 127.0.0.1:40123" into "tcp://127.0.0.1:40123"; "" for another line.
std::string ResourceOfListeningLine(const std::string& line);

} // namespace tw
