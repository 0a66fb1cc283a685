#include "app/LaunchState.h"
#include "app/Startup.h"
#include "app/qt/QtPrompter.h"
#include "frame/CommandIcons.h"
#include "frame/MainFrame.h"
#include "host/HostLink.h"
#include "host/Launch.h"
#include "host/qt/QtHostLink.h"
#include "host/qt/TerminationSignals.h"

#include <QApplication>
#include <string>

int main(int argc, char** argv) {
    // Before QApplication takes its own options (-style, -qwindowtitle, ...) out of argv.
    const std::string commandLine = tw::JoinCommandLine(argc, argv);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(TW_DESKTOP_ID);
    tw::InstallGuiPrompter();
    const tw::StartupResult started = tw::RunStartup(commandLine, tw::FindAppDataFolder());
    if (!started.ok)
        return 1;
    QApplication::setApplicationName(QString::fromStdString(tw::launch().appName));
    QApplication::setWindowIcon(tw::ApplicationIcon());

    tw::QuitOnTerminationSignals();
    tw::QtHostLink link;
    tw::SetHostLink(&link);
    int result = 0;
    {
        tw::MainFrame frame(started.resourceSet);
        frame.attachLink(link);
        frame.resize(1024, 700);
        frame.show();
        result = app.exec();
    }
    tw::SetHostLink(nullptr);
    return result;
}
