#include "app/Commands.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "document/WaveDownload.h"
#include "fm/FmMarkers.h"
#include "frame/FrameBars.h"
#include "frame/MainFrame.h"
#include "frame/QtWaveFrame.h"
#include "host/HostLink.h"
#include "host/HostLinkProcess.h"
#include "host/Launch.h"
#include "support/SampleValues.h"
#include "support/Sandbox.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tw {
namespace {

// A text message as consolia-sim prints it.
std::string TextBlock(int n, const std::string& text) {
    std::string block = "--- message " + std::to_string(n) + " (" + std::to_string(text.size()) +
                        " bytes) ---\n" + text;
    if (text.empty() || text.back() != '\n')
        block += '\n';
    return block + "--- end ---\n";
}

// The FM composer runs here, beside a consolia-sim that wrote the exchange file and listens as
// the host: the deviation and the download must reach it as the exact texts it expects.
TEST(FmConsoliaEndToEnd, DeviationAndDownloadReachTheHost) {
    test::Sandbox box(kFmComposer, false);
    test::SimProcess sim(box.root(),
                         {"--no-launch", "--composer", "fm", "--expect", "3", "--timeout", "30"});
    ASSERT_TRUE(sim.waitFor("listening")) << sim.output();

    const StartupResult started = RunStartup(box.prompts, "tidewright FMC", box.root());
    ASSERT_TRUE(started.ok) << box.prompts.lastText();
    ASSERT_EQ(launch().composerId, kFmComposer);
    const std::string exchange = launch().exchangeFile;
    const std::string host = profile::GetValue(exchange, "AppTits", "AC").value_or("");
    ASSERT_FALSE(host.empty());
    // The host's carrier comes from "Sclk" (100e6); its marker table for function mode 0.
    profile::WriteValue(exchange, "FmMark0", "Mrk0", "100000000");

    QtHostLink link(launch());
    SetHostLink(&link);
    {
        MainFrame frame(launch(), started.resourceSet);
        frame.attachLink(link);
        frame.resize(900, 600);
        frame.show();
        ASSERT_TRUE(test::WaitForTitle(link.folder(), host));

        WeDoc& doc = frame.waveFrame()->document();
        for (std::size_t i = 0; i < doc.samples().size(); ++i)
            test::Put(doc.samples(), i, 99000000 + static_cast<std::int32_t>(i) * 2000);
        doc.CommitEdit();

        QLineEdit* deviation = frame.bars()->secondBox();
        deviation->clear();
        QTest::keyClicks(deviation, "4e6");
        frame.bars()->applyButton()->click();
        ASSERT_TRUE(sim.waitFor("Cmd=:FM:DEV 4e6")) << sim.output();

        frame.action(kCmdDownload)->trigger();
        ASSERT_TRUE(sim.waitFor("FMwav=")) << sim.output();
        EXPECT_EQ(ReadWholeFile(launch().tmpFolder + "$xMark"),
                  FmMarkerFileText(doc.composer().fmMarkerPoints()));
        ASSERT_EQ(doc.composer().fmMarkerPoints().size(), 1u);
        EXPECT_EQ(doc.composer().fmMarkerPoints()[0], 500);
        frame.close();
    }
    SetHostLink(nullptr);
    EXPECT_EQ(sim.finish(), 0);

    const std::string out = sim.output();
    EXPECT_NE(out.find(TextBlock(1, "Cmd=:FM:DEV 4e6")), std::string::npos) << out;
    EXPECT_NE(out.find(TextBlock(2, "FMwav=" + launch().tmpFolder + "FmDef.wvf\n")),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("--- message 3: ComposerClosed 12 0 ---"), std::string::npos) << out;
    auto get = [&](const char* section, const char* key) {
        return profile::GetValue(exchange, section, key).value_or("<absent>");
    };
    EXPECT_EQ(get("Settings", "FmDev0"), "4e6");
    EXPECT_EQ(get("Settings", "FmSt0"), "4e6");
    EXPECT_EQ(get("FmComposer", "FMax"), "1.02e+008");
    EXPECT_EQ(get("FmComposer", "FMin"), "9.8e+007");
    EXPECT_EQ(get("Common", "Modif"), "Yes");
    EXPECT_EQ(box.prompts.asked.size(), 0u) << box.prompts.lastText();
}

} // namespace
} // namespace tw
