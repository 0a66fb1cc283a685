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

} // namespace
} // namespace tw
