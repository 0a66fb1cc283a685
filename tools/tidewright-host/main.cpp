// tidewright-host: the host program that launches the composers and carries their messages to
// the instrument.
#include "app/LaunchState.h"
#include "app/qt/QtPrompter.h"
#include "host/qt/QtHostLink.h"
#include "host/qt/TerminationSignals.h"
#include "hostapp/qt/HostWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* kUsage =
    "Usage: tidewright-host [--simulated] [--composer standard|fm|pulse] [--instrument MODEL]\n"
    "Launches Tidewright's composers beside the instrument and carries out what they send.\n"
    "  --simulated          start the simulated instrument on this computer and connect to it\n"
    "  --composer NAME      start the waveform (standard), FM (fm) or pulse-train (pulse)\n"
    "                       composer at once\n"
    "  --instrument MODEL   the instrument (a description MODEL.ini of the instrument folder)\n"
    "  --help, --version    print this or the version and exit\n"
    "See tidewright-host(1) and the user guide.\n";

struct Options {
    bool simulated = false;
    int composer = -1;
    QString instrument;
};

// Exits for --help, --version and usage errors; otherwise fills the options.
bool ParseOptions(int argc, char** argv, Options& o, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            std::printf("tidewright-host %s\n", TW_VERSION);
            exitCode = 0;
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            exitCode = 0;
            return false;
        }
        if (arg == "--simulated") {
            o.simulated = true;
        } else if ((arg == "--composer" || arg == "--instrument") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--instrument")
                o.instrument = QString::fromStdString(value);
            else if (value == "standard" || value == "fm" || value == "pulse")
                o.composer = value == "standard" ? 0 : value == "fm" ? 1 : 2;
            else {
                std::fprintf(stderr, "unknown composer \"%s\"\n%s", value.c_str(), kUsage);
                exitCode = 2;
                return false;
            }
        } else if (arg.starts_with("--")) {
            std::fprintf(stderr, "unknown option %s\n%s", arg.c_str(), kUsage);
            exitCode = 2;
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode))
        return exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tidewright Host");
    QGuiApplication::setDesktopFileName(TW_DESKTOP_ID);
    QApplication::setWindowIcon(QIcon::fromTheme("tidewright"));
    tw::LaunchState named;
    named.appName = "Tidewright Host"; // the caption of the link's messages
    tw::SetLaunchState(named);
    tw::InstallGuiPrompter();
    tw::QuitOnTerminationSignals();

    tw::QtHostLink link(named);
    int result = 0;
    {
        tw::HostWindow window(link, tw::DefaultHostSetup());
        if (!options.instrument.isEmpty())
            window.instrumentBox()->setCurrentText(options.instrument);
        window.show();
        QTimer::singleShot(0, &window, [&] {
            if (options.simulated && !window.useSimulatedInstrument())
                return;
            if (options.composer >= 0)
                window.startComposer(options.composer);
        });
        result = app.exec();
    }
    return result;
}
