// consolia-sim: a stand-in for the host program, for development, demos and tests.
#include "Consolia.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "host/qt/TerminationSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* kUsage =
    "usage: consolia-sim [options]\n"
    "  --composer standard|fm|pulse  which composer to launch (standard)\n"
    "  --tidewright PATH             the program to launch (the tidewright next to this one)\n"
    "  --app-data DIR                the application-data folder (the user's)\n"
    "  --data DIR                    the bundled data folder (instruments, exchange template)\n"
    "  --instrument NAME             the sample instrument DIR/instrument/NAME.ini (TW2014;\n"
    "                                TW3256 holds 256M points per segment)\n"
    "  --title TEXT                  this host window's title (Consolia - NAME (simulated))\n"
    "  --keep                        keep an existing exchange file (only update its names)\n"
    "  --no-launch                   do not launch the composer\n"
    "  --do COMMAND                  run COMMAND once the composer is up (repeatable)\n"
    "  --expect N                    quit after N messages and the composer's exit\n"
    "  --timeout S                   give up after S seconds (exit code 2)\n"
    "Commands (on standard input or with --do): event CODE [DATA], close, move X Y, reread,\n"
    "progress POS SHOW, windows, wait MS, quit.\n";

// Installed, the program lies beside this one; in the build tree, one folder up.
std::string DefaultTidewright() {
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const char* path : {"tidewright", "../tidewright"}) {
        const QFileInfo program(bin.filePath(path));
        if (program.isFile() && program.isExecutable())
            return program.canonicalFilePath().toStdString();
    }
    return "tidewright";
}

// The installed data first, so that an installed program never reads the source tree.
std::string DefaultDataDir() {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString installed = bin.filePath(TW_INSTALLED_DATA_DIR);
    if (QFileInfo(installed + "/instrument/TW2014.ini").isFile())
        return QDir::cleanPath(installed).toStdString();
    return TW_SOURCE_DATA_DIR;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tw::sim::Options o;
    o.tidewright = DefaultTidewright();
    o.dataDir = DefaultDataDir();
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n%s", arg.c_str(), kUsage);
                std::exit(1);
            }
            return argv[++i];
        };
        if (arg == "--composer")
            o.composer = value();
        else if (arg == "--tidewright")
            o.tidewright = value();
        else if (arg == "--app-data")
            o.appData = value();
        else if (arg == "--data")
            o.dataDir = value();
        else if (arg == "--instrument")
            o.instrument = value();
        else if (arg == "--title")
            o.title = value();
        else if (arg == "--keep")
            o.keepExchange = true;
        else if (arg == "--no-launch")
            o.launch = false;
        else if (arg == "--do")
            o.actions.push_back(value());
        else if (arg == "--expect")
            o.expect = std::atoi(value().c_str());
        else if (arg == "--timeout")
            o.timeout = std::atoi(value().c_str());
        else {
            std::fputs(kUsage, arg == "--help" ? stdout : stderr);
            return arg == "--help" ? 0 : 1;
        }
    }
    if (o.composer != "standard" && o.composer != "fm" && o.composer != "pulse") {
        std::fprintf(stderr, "unknown composer \"%s\"\n%s", o.composer.c_str(), kUsage);
        return 1;
    }
    if (o.appData.empty())
        o.appData = tw::FindAppDataFolder();
    while (o.appData.size() > 1 && o.appData.back() == '/')
        o.appData.pop_back();
    tw::LaunchState named;
    named.appName = "consolia-sim"; // the caption of its messages
    tw::SetLaunchState(named);
    tw::QuitOnTerminationSignals(); // so that the composer it launched is stopped too
    tw::sim::Consolia host(o, named);
    if (!host.start())
        return tw::sim::kProblem;
    return app.exec();
}
