#include "HostLinkProcess.h"
#include "support/Sandbox.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace tw {
namespace {

// The simulator writes its own exchange file; the sandbox only lends the folder.
test::SimProcess Consolia(const test::Sandbox& box, QStringList args) {
    return test::SimProcess(box.root(), args << "--timeout"
                                             << "30");
}

// The pulse composer publishes its title, ignores the other composers' close events and closes
// on its own. (The standard composer's are read with the host program and the frame.)
TEST(ConsoliaEndToEnd, ThePulseComposerClosesOnlyOnItsOwnEvent) {
    test::Sandbox box;
    auto sim =
        Consolia(box, {"--composer", "pulse", "--do", "event 3", "--do", "event 10", "--do",
                       "progress 40 1", "--do", "wait 300", "--do", "close", "--expect", "1"});
    EXPECT_EQ(sim.finish(), 0);
    const std::string out = sim.output();
    EXPECT_NE(out.find("--- message 1: ComposerClosed 16 0 ---"), std::string::npos) << out;
    EXPECT_EQ(out.find("no composer window"), std::string::npos) << out;
    EXPECT_NE(out.find("tidewright exited with code 0"), std::string::npos) << out;
    const std::string title = "Trainsmith -> Untitled-Ch1";
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "PLS"), title);
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "AC"), "Consolia - TW2014 (simulated)");
}

TEST(ConsoliaEndToEnd, WithoutExchangeFileTheComposerRefusesWithThreeMessages) {
    test::Sandbox box(0, false);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", QString::fromStdString(box.root() + "/empty"));
    p.setProcessEnvironment(env);
    p.start(TW_BINARY_DIR "/tidewright", {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_NE(p.exitCode(), 0);
    QStringList lines;
    for (const QString& l : QString::fromUtf8(p.readAllStandardError()).split('\n'))
        if (l.startsWith("Tidewright: ") || l.startsWith("Record not found"))
            lines << l;
    const QString exchange =
        QString::fromStdString(box.root() + "/empty/Consolia/tmp/TempOndex.ondex");
    EXPECT_EQ(lines, (QStringList{"Tidewright: Tidewright cannot run as a standalone application",
                                  "Record not found: File " + exchange +
                                      "\\nSect=Instrument\\nKey=DescrFile",
                                  "Tidewright: Invalid application path =" + exchange}));
}

} // namespace
} // namespace tw
