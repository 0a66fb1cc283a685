#include "hostapp/qt/SimulatorProcess.h"

#include <QDeadlineTimer>

namespace tw {

namespace {

constexpr int kStartMs = 10000; // a loaded machine starts programs slowly

} // namespace

std::string ResourceOfListeningLine(const std::string& line) {
    const std::string prefix = "listening on ";
    if (!line.starts_with(prefix))
        return {};
    std::string address = line.substr(prefix.size());
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r'))
        address.pop_back();
    if (address.empty() || address.find_first_of(" \t") != std::string::npos)
        return {};
    return "tcp://" + address;
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

void SimulatorProcess::stop() {
    if (running()) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
    resource_.clear();
}

std::string SimulatorProcess::start(const std::string& program, const std::string& model,
                                    std::string& error) {
    stop();
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(QString::fromStdString(program),
                   {"--listen", "127.0.0.1:0", "--instrument", QString::fromStdString(model)});
    if (!process_.waitForStarted(kStartMs)) {
        error = "Cannot start " + program + "\n" + process_.errorString().toStdString();
        return {};
    }
    QDeadlineTimer deadline(kStartMs);
    while (!process_.canReadLine() && process_.state() == QProcess::Running &&
           !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const std::string line = process_.readLine().toStdString();
    resource_ = ResourceOfListeningLine(line);
    if (resource_.empty()) {
        error = program + " did not start listening: " + line;
        stop();
    }
    return resource_;
}

} // namespace tw
