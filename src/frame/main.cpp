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
#include <cstdio>
#include <string>
#include <string_view>

namespace {

// --help and --version answer at once, before Qt or the host's files are looked at.
bool AnswerOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--version") {
            std::printf("tidewright %s\n", TW_VERSION);
            return true;
        }
        if (option == "--help" || option == "-h") {
            std::printf("Usage: tidewright [FMC | PLS]\n"
                        "Composes the waveforms of an arbitrary waveform generator; started by\n"
                        "the instrument's control program beside its exchange file.\n"
                        "  (none)  the waveform composer\n"
                        "  FMC     the FM composer\n"
                        "  PLS     the pulse-train composer\n"
                        "  --help, --version  print this or the version and exit\n"
                        "See tidewright(1) and the user guide (F1).\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswerOption(argc, argv))
        return 0;
    // Before QApplication takes its own options (-style, -qwindowtitle, ...) out of argv.
    const std::string commandLine = tw::JoinCommandLine(argc, argv);
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(TW_DESKTOP_ID);
    tw::InstallGuiPrompter();
    const tw::StartupResult started =
        tw::RunStartup(tw::prompter(), commandLine, tw::FindAppDataFolder());
    if (!started.ok)
        return 1;
    const tw::LaunchState& session = tw::launch();
    QApplication::setApplicationName(QString::fromStdString(session.appName));
    QApplication::setWindowIcon(tw::ApplicationIcon());

    tw::QuitOnTerminationSignals();
    tw::QtHostLink link(session);
    tw::SetHostLink(&link);
    int result = 0;
    {
        tw::MainFrame frame(session, started.resourceSet);
        frame.attachLink(link);
        frame.resize(1024, 700);
        frame.show();
        result = app.exec();
    }
    tw::SetHostLink(nullptr);
    return result;
}
