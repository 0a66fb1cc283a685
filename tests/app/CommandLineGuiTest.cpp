#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Qt takes its own options out of argv while the application object is built; the composer
// search and the log still see the command line the host gave.
TEST(CommandLine, QtOptionsStayInTheComposerSearchAndTheLog) {
    test::Sandbox box;
    const std::string log = box.tmp() + "Ondex.log";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", QString::fromStdString(box.root()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TIDEWRIGHT_NONINTERACTIVE", "1");
    p.setProcessEnvironment(env);
    const QString program = TW_BINARY_DIR "/tidewright";
    p.start(program, {"-qwindowtitle", "pls", "-style", "Fusion"});
    ASSERT_TRUE(p.waitForStarted(10000));
    const bool logged = QTest::qWaitFor(
        [&] { return ReadWholeFile(log).value_or("").find(" App=") != std::string::npos; }, 20000);
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(10000));
    ASSERT_TRUE(logged) << p.readAllStandardError().toStdString();
    const std::string first = ReadWholeFile(log)->substr(0, ReadWholeFile(log)->find('\n'));
    EXPECT_EQ(first, "-----------CmdLine=" + ToUpper(program.toStdString()) +
                         " -QWINDOWTITLE PLS -STYLE FUSION App=Trainsmith");
}

// Answered without an exchange file, a display or a message about the host.
TEST(CommandLine, HelpAndVersionPrintAndExitAtOnce) {
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("APPDATA", "/nonexistent");
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(env);
        p.start(TW_BINARY_DIR "/tidewright", {option});
        ASSERT_TRUE(p.waitForFinished(10000)) << option;
        EXPECT_EQ(p.exitCode(), 0) << option;
        EXPECT_EQ(p.readAllStandardError().toStdString(), "") << option;
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(option == std::string("--help") ? "Usage: tidewright"
                                                                   : "tidewright " TW_VERSION_TEXT))
            << out.toStdString();
    }
}

} // namespace
} // namespace tw
