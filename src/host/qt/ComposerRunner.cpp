#include "host/qt/ComposerRunner.h"

namespace tw {

ComposerRunner::ComposerRunner() {
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.setStandardInputFile(QProcess::nullDevice());
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
        if (finished_)
            finished_(code);
    });
}

ComposerRunner::~ComposerRunner() {
    process_.disconnect(this);
    stop();
}

void ComposerRunner::stop() {
    if (!running())
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished(1000);
}

bool ComposerRunner::start(const ComposerKind& kind, const std::string& program,
                           const std::string& appData, const std::string& linkFolder,
                           std::string& error) {
    if (running()) {
        error = std::string(kind_->name) + " is running";
        return false;
    }
    kind_ = &kind;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", QString::fromStdString(appData));
    env.insert("TIDEWRIGHT_LINK_DIR", QString::fromStdString(linkFolder));
    process_.setProcessEnvironment(env);
    QStringList args;
    if (*kind.argument)
        args << kind.argument;
    process_.start(QString::fromStdString(program), args);
    if (!process_.waitForStarted(10000)) {
        error = "Cannot start " + program + "\n" + process_.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace tw
