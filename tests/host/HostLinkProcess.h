#pragma once
#include "app/FileUtil.h"
#include "host/qt/QtHostLink.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>

#include <string>

namespace tw::test {

// A consolia-sim process whose standard output goes to a file, so a test can tell what the
// simulator had handled at the moment a call returned.
class SimProcess {
  public:
    SimProcess(const std::string& appData, const QStringList& args)
        : outFile_(appData + "/sim-output.txt") {
        process_.setStandardOutputFile(QString::fromStdString(outFile_));
        process_.setStandardInputFile(QProcess::nullDevice());
        process_.start(TW_BINARY_DIR "/tools/consolia-sim",
                       QStringList{"--app-data", QString::fromStdString(appData)} + args);
        process_.waitForStarted(5000);
    }
    ~SimProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
        }
    }
    // Everything printed so far.
    std::string output() const { return ReadWholeFile(outFile_).value_or(""); }
    // Waits until the output holds `fragment`; false after `ms`.
    bool waitFor(const std::string& fragment, int ms = 10000) const {
        return QTest::qWaitFor([&] { return output().find(fragment) != std::string::npos; }, ms);
    }
    // Waits for the process to end; its exit code, or -1 when it is still running after `ms`.
    int finish(int ms = 20000) { return process_.waitForFinished(ms) ? process_.exitCode() : -1; }
    qint64 pid() const { return process_.processId(); }

  private:
    std::string outFile_;
    QProcess process_;
};

// Waits, running the event loop, until `title` is registered on the link in `folder`.
inline bool WaitForTitle(const std::string& folder, const std::string& title, int ms = 10000) {
    QtHostLink link(LaunchState{}, folder);
    return QTest::qWaitFor(
        [&] {
            const auto titles = link.titles();
            return std::find(titles.begin(), titles.end(), title) != titles.end();
        },
        ms);
}

} // namespace tw::test
