#include "frame/UserGuide.h"

#include "app/LaunchState.h"
#include "app/Prompter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace tw {

namespace {

const char* const kGuide = "user-guide.md";

QStringList Candidates() {
    return {QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/doc/tidewright"),
            QStringLiteral(TW_SOURCE_DOCS)};
}

} // namespace

QString DocumentationFolder() {
    for (const QString& folder : Candidates())
        if (QFileInfo(folder + '/' + kGuide).isFile())
            return folder;
    return {};
}

void OpenUserGuide() {
    const QString folder = DocumentationFolder();
    if (folder.isEmpty()) {
        ask(launch().appName,
            ("The user guide " + QString(kGuide) + " was not found in " + Candidates().join(" or "))
                .toStdString());
        return;
    }
    const QString guide = folder + '/' + kGuide;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
        ask(launch().appName, ("No program of the desktop could show " + guide).toStdString());
}

} // namespace tw
