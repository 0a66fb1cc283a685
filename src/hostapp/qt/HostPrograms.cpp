#include "hostapp/qt/HostPrograms.h"

#include "app/LaunchState.h"
#include "instrument/InstrumentFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tw {

std::string SiblingProgram(const std::string& name) {
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& path : {QString::fromStdString(name), "../" + QString::fromStdString(name),
                                "tools/" + QString::fromStdString(name)}) {
        const QFileInfo program(bin.filePath(path));
        if (program.isFile() && program.isExecutable())
            return program.canonicalFilePath().toStdString();
    }
    return name;
}

HostSetup DefaultHostSetup() {
    HostSetup setup;
    setup.appData = FindAppDataFolder();
    setup.instrumentFolder = DefaultInstrumentFolder();
    setup.composer = SiblingProgram("tidewright");
    setup.simulator = SiblingProgram("tidewright-awg-sim");
    return setup;
}

} // namespace tw
