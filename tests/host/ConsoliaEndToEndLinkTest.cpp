#include "HostLinkProcess.h"
#include "app/FileUtil.h"
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

TEST(ConsoliaEndToEnd, StandardComposerPublishesItsTitleAndClosesOnEvent3) {
    test::Sandbox box;
    auto sim = Consolia(box, {"--do", "event 17", "--do", "wait 300", "--do", "windows", "--do",
                              "close", "--expect", "1"});
    EXPECT_EQ(sim.finish(), 0);
    std::string out = sim.output();
    // Event 17 belongs to the pulse-train composer: the window was still there afterwards.
    EXPECT_NE(out.find("consolia-sim> windows\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  Tidewright -> /.../TemS1.wa0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("--- message 1: ComposerClosed 5 0 ---"), std::string::npos) << out;
    EXPECT_NE(out.find("tidewright exited with code 0"), std::string::npos) << out;
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "TD"), "Tidewright -> /.../TemS1.wa0");
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "AC"), "Consolia - TW2014 (simulated)");
    std::string log = ReadWholeFile(box.tmp() + "Ondex.log").value_or("");
    EXPECT_NE(log.find(" App=Tidewright"), std::string::npos);
    EXPECT_NE(log.find("\nCOMPOSER:Tidewright -> /.../TemS1.wa0"), std::string::npos);
}

TEST(ConsoliaEndToEnd, TheInstrumentOptionNamesTheSampleInstrumentAndItsModel) {
    test::Sandbox box;
    auto sim = Consolia(box, {"--instrument", "TW3256", "--do", "close", "--expect", "1"});
    EXPECT_EQ(sim.finish(), 0) << sim.output();
    const std::string descr = box.get(box.exchange(), "Instrument", "DescrFile");
    EXPECT_EQ(FileNameOf(descr), "TW3256.ini");
    EXPECT_EQ(box.get(descr, "Axis", "HRange"), "1024 64 268435456");
    EXPECT_EQ(box.get(box.exchange(), "Instrument", "Model"), "TW3256");
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "AC"), "Consolia - TW3256 (simulated)");
    // The new segment holds the instrument's initial 1024 16-bit points, in its 16-bit folder.
    EXPECT_EQ(FileSize(box.tmp() + "TemS1.wa0"), 2048);
    EXPECT_TRUE(FileExists(box.tmp() + "Wav16bit"));
}

TEST(ConsoliaEndToEnd, PulseComposerClosesOnlyOnEvent17) {
    test::Sandbox box;
    auto sim = Consolia(box, {"--composer", "pulse", "--do", "event 3", "--do", "event 10", "--do",
                              "progress 40 1", "--do", "close", "--expect", "1"});
    EXPECT_EQ(sim.finish(), 0);
    std::string out = sim.output();
    EXPECT_NE(out.find("launching"), std::string::npos);
    EXPECT_NE(out.find("--- message 1: ComposerClosed 16 0 ---"), std::string::npos) << out;
    EXPECT_EQ(out.find("no composer window"), std::string::npos) << out;
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "PLS"), "Trainsmith -> Untitled-Ch1");
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
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "Tidewright: Tidewright cannot run as a standalone application");
    EXPECT_TRUE(lines[1].startsWith("Record not found"));
    EXPECT_TRUE(lines[2].startsWith("Tidewright: Invalid application path ="));
}

} // namespace
} // namespace tw
