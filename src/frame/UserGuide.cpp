#include "frame/UserGuide.h"

#include "app/LaunchState.h"
#include "app/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTextBrowser>
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

QTextBrowser* OpenUserGuide(const std::string& appName, QWidget* parent) {
    const QString folder = DocumentationFolder();
    if (folder.isEmpty()) {
        ask(appName,
            ("The user guide " + QString(kGuide) + " was not found in " + Candidates().join(" or "))
                .toStdString());
        return nullptr;
    }
    const QString guide = folder + '/' + kGuide;
    // One guide window beside the frame; F1 again brings it up.
    auto* window = parent ? parent->findChild<QTextBrowser*>("UserGuide") : nullptr;
    if (!window) {
        window = new QTextBrowser(parent);
        window->setObjectName("UserGuide");
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QString::fromStdString(appName) + " User Guide");
        window->setOpenExternalLinks(true);
        window->setSearchPaths({folder}); // the pictures under images/
        window->resize(780, 640);
    }
    window->setSource(QUrl::fromLocalFile(guide), QTextDocument::MarkdownResource);
    if (window->toPlainText().isEmpty()) {
        ask(appName, ("The user guide " + guide + " could not be read").toStdString());
        window->close();
        return nullptr;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace tw
