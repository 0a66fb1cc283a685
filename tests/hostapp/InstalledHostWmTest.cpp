#include "DriveWindows.h"
#include "app/FileUtil.h"
#include "app/qt/AppProfile.h"
#include "instrument/InstrumentSession.h"
#include "instrument/SimulatorLaunch.h"
#include "support/Sandbox.h"
#include "support/wm/WindowManager.h"

#include <QProcess>
#include <QSettings>

#include <gtest/gtest.h>

namespace tw {
namespace {

using namespace test;

// The package the user installs (the composers, the host and the simulator with their data) in
// a fresh prefix; "" after a failure, with the reason added to the test.
std::string Install(const std::string& prefix) {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(TW_CMAKE_COMMAND, {"--install", TW_BINARY_DIR, "--component", "tw_runtime",
                                     "--prefix", QString::fromStdString(prefix)});
    const bool done = install.waitForFinished(120000);
    EXPECT_TRUE(done && install.exitCode() == 0) << install.readAll().toStdString();
    return done && install.exitCode() == 0 ? prefix : "";
}

// The installed host, with no program of the build tree on its PATH.
struct InstalledHost {
    QProcess process;
    InstalledHost(const std::string& prefix, const QStringList& arguments,
                  const std::string& appData) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("APPDATA", QString::fromStdString(appData));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QString::fromStdString(prefix + "/bin/tidewright-host"), arguments);
    }
    // Quits as a user does; its output, for the failure's message.
    std::string quit() {
        if (const std::string window = XWindow("^Tidewright Host", 10000); !window.empty())
            Keys(window, {"ctrl+q"});
        const bool ended = WaitUntil([&] { return process.state() == QProcess::NotRunning; });
        EXPECT_TRUE(ended) << "the host did not quit";
        if (!ended) {
            process.kill();
            process.waitForFinished(5000);
        }
        return process.readAll().toStdString();
    }
};

std::string RememberedResource() {
    return QSettings(QString::fromStdString(AppProfilePath()), QSettings::IniFormat)
        .value("Host/Resource")
        .toString()
        .toStdString();
}

// Whether channel 1's segment 1 has been defined on the instrument (the download's bytes are
// compared in the host's end-to-end test).
bool SegmentOneDefined(InstrumentSession& session) {
    std::string points;
    return session.write(":INST:SEL 1").ok() && session.query(":TRAC:DEF? 1", points).ok() &&
           points != "0";
}

// The installed programs alone, as a package installs them: the host starts the installed
// composer, which downloads through it into the installed simulator; the host remembers the
// simulator it started itself and stops it when it quits.
TEST(InstalledHost, ComposerDownloadsThroughItIntoTheSimulatedInstrument) {
    TW_REQUIRE_WINDOW_MANAGER();
    Sandbox box(0, false);
    const std::string prefix = Install(box.root() + "/prefix");
    ASSERT_FALSE(prefix.empty());
    const std::string appData = box.root() + "/appdata";
    CreateFolder(appData);

    SimulatorLaunch sim = LaunchSimulator(prefix + "/bin/tidewright-awg-sim",
                                          {"--listen", "127.0.0.1:0", "--instrument", "TW2014"});
    ASSERT_EQ(sim.error, "");
    {
        QSettings profile(QString::fromStdString(AppProfilePath()), QSettings::IniFormat);
        profile.setValue("Host/Instrument", "TW2014");
        profile.setValue("Host/Resource", QString::fromStdString(sim.resource()));
    }
    InstalledHost host(prefix, {"--composer", "standard"}, appData);
    const std::string composer = XWindow("^Tidewright ->");
    ASSERT_FALSE(composer.empty()) << host.quit();
    Pump(1000); // the composer settles where the host placed it
    const std::string sine = OpenDialog(composer, {"alt+w", "s"}, "^Sine");
    ASSERT_FALSE(sine.empty()) << host.quit();
    Keys(sine, {"Return"});
    SessionOpen reader =
        OpenInstrumentSession(sim.resource(), prefix + "/share/tidewright/instrument", "");
    ASSERT_TRUE(reader.session) << reader.error;
    bool downloaded = false;
    for (int attempt = 0; attempt < 4 && !downloaded; ++attempt) {
        Keys(composer, {"ctrl+d"});
        downloaded = WaitUntil([&] { return SegmentOneDefined(*reader.session); }, 15000);
    }
    EXPECT_TRUE(downloaded) << host.quit();
    reader.session.reset();
    EXPECT_EQ(host.quit().find("Tidewright Host:"), std::string::npos); // no error box
    EXPECT_EQ(RememberedResource(), sim.resource());

    // Started with the simulated instrument, the host finds the installed simulator beside it.
    InstalledHost simulated(prefix, {"--simulated"}, appData);
    ASSERT_FALSE(XWindow("^Tidewright Host").empty()) << simulated.quit();
    Pump(1000);
    const std::string output = simulated.quit();
    const std::string started = RememberedResource();
    EXPECT_TRUE(started.starts_with("tcp://127.0.0.1:") && started != sim.resource())
        << started << "\n"
        << output;
    EXPECT_FALSE(OpenInstrumentSession(started, "", "").session) << "still running after quit";
}

} // namespace
} // namespace tw
