#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "app/Startup.h"
#include "frame/MainFrame.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainBuilder.h"
#include "support/HostRecorder.h"
#include "support/Sandbox.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(TrainBar, ShowsTheTrainsNameDurationAndCompiledSegments) {
    test::Sandbox box(kPulseComposer);
    test::HostRecorder host;
    box.set(box.exchange(), "AppTits", "AC", "Consolia");
    box.set(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal", "1");
    box.set(box.exchange(), "PulseRoot-ch1", "forceSclk", "1e6");
    WriteGeneralSetting(box.session(), "forceSingSeg", std::to_string(kSingleSegmentMode),
                        kPulseSettings);
    WriteGeneralSetting(box.session(), "hideSumm", "Hide",
                        kPulseSettings); // no summary dialog to answer
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 2.048e-3}, {-1, 2.048e-3}}}}, 2);
    const std::string train = box.root() + "/train.pls";
    MainFrame f(box.session(), kPulseResources);
    auto& c = static_cast<PulseComposer&>(f.composer());
    auto* text = f.findChild<QLineEdit*>("1042");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->text().startsWith("Untitled"));
    EXPECT_FALSE(text->accessibleName().isEmpty());
    ASSERT_TRUE(c.SaveAs(train));
    ASSERT_TRUE(c.Open(train));
    EXPECT_EQ(text->text(), QString::fromUtf8("train.pls \u2014 4.096 ms"));
    ASSERT_EQ(c.Download(), kDownloadDone);
    EXPECT_EQ(text->text(), QString::fromUtf8("train.pls \u2014 4.096 ms \u2014 1 segment"));
}

} // namespace
} // namespace tw
