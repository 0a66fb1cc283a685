#pragma once
#include "app/FileUtil.h"
#include "host/qt/QtHostLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <algorithm>

#include <string>

namespace tw::test {

// A consolia-sim process whose standard output goes to a file, so a test can tell what the
// simulator had handled at the moment a call returned.
class SimProcess {
  public:
    SimProcess(const std::string& appData, const QStringList& args);
    ~SimProcess();
    std::string output() const; // everything printed so far
    // Waits until the output holds `fragment`; false after `ms`.
    bool waitFor(const std::string& fragment, int ms = 10000) const;
    // Waits for the process to end; its exit code, or -1 when it is still running after `ms`.
    int finish(int ms = 20000);
    qint64 pid() const { return process_.processId(); }

  private:
    std::string outFile_;
    QProcess process_;
};

// Waits, running the event loop, until `title` is registered on the link in `folder`.
bool WaitForTitle(const std::string& folder, const std::string& title, int ms = 10000);

inline SimProcess::SimProcess(const std::string& appData, const QStringList& args)
    : outFile_(appData + "/sim-output.txt") {
    process_.setStandardOutputFile(QString::fromStdString(outFile_));
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(TW_BINARY_DIR "/tools/consolia-sim",
                   QStringList{"--app-data", QString::fromStdString(appData)} + args);
    process_.waitForStarted(5000);
}

inline SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
}

inline std::string SimProcess::output() const {
    return ReadWholeFile(outFile_).value_or("");
}

inline bool SimProcess::waitFor(const std::string& fragment, int ms) const {
    QElapsedTimer clock;
    clock.start();
    while (output().find(fragment) == std::string::npos) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

inline int SimProcess::finish(int ms) {
    if (!process_.waitForFinished(ms))
        return -1;
    return process_.exitCode();
}

inline bool WaitForTitle(const std::string& folder, const std::string& title, int ms) {
    QtHostLink link(LaunchState{}, folder);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        auto titles = link.titles();
        if (std::find(titles.begin(), titles.end(), title) != titles.end())
            return true;
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace tw::test
