#include "host/Launch.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Startup, SetsPathsComposerLogAndTheResourceSetOfCommandLineAndMarkerBits) {
    test::Sandbox box;
    box.set(box.descr(), "ParmLst", "FPSeg", "FP Segment 1 64");
    StartupResult r = RunStartup(box.prompts, "/usr/bin/tidewright fmc", box.root());
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(launch().fpSegMode);
    EXPECT_EQ(r.resourceSet, kFmResources);
    EXPECT_EQ(launch().appName, "FM Tidewright");
    EXPECT_EQ(launch().tmpFolder, box.root() + "/Consolia/tmp/");
    EXPECT_EQ(launch().generalIni, box.root() + "/Consolia/General/General.ini");
    EXPECT_EQ(launch().descrFile, box.descr());
    EXPECT_EQ(launch().family, "TW2000");
    EXPECT_EQ(*ReadWholeFile(launch().logFile),
              "-----------CmdLine=/USR/BIN/TIDEWRIGHT FMC App=FM Tidewright\n");
    EXPECT_EQ(AboutBuildLine(), "Build 96");
    EXPECT_TRUE(box.prompts.asked.empty());

    EXPECT_EQ(RunStartup(box.prompts, "tidewright", box.root()).resourceSet, kStandardResources);
    EXPECT_FALSE(launch().fpSegMode) << "FP-segment mode is the FM composer's alone";
    EXPECT_EQ(RunStartup(box.prompts, "tidewright FMC pls", box.root()).resourceSet,
              kPulseResources);
    EXPECT_EQ(RunStartup(box.prompts, "/home/u/apls/tidewright", box.root()).resourceSet,
              kPulseResources)
        << "p-l-s inside a path";
    box.set(box.descr(), "WaveDown", "UseMarkBits", "yEs");
    EXPECT_EQ(RunStartup(box.prompts, "tidewright", box.root()).resourceSet, kMarkerBitResources);
    box.set(box.descr(), "WaveDown", "NotUseBitsDlg", "");
    EXPECT_EQ(RunStartup(box.prompts, "tidewright", box.root()).resourceSet, kStandardResources);
}

} // namespace
} // namespace tw
