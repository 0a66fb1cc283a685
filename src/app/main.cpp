#include "app/LaunchState.h"
#include "app/QtPrompter.h"
#include "app/Startup.h"
#include "view/MainFrame.h"

#include <QApplication>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tw::InstallGuiPrompter();
    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            commandLine += ' ';
        commandLine += argv[i];
    }
    const tw::StartupResult started = tw::RunStartup(commandLine, tw::FindAppDataFolder());
    if (!started.ok)
        return 1;
    tw::MainFrame frame(started.resourceSet);
    frame.resize(1024, 700);
    frame.show();
    return app.exec();
}
