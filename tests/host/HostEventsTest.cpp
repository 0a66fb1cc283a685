#include "host/HostEvents.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/Composer.h"
#include "fm/FmComposer.h"
#include "host/ExchangeFile.h"
#include "host/WindowTitle.h"
#include "pulse/PulseComposer.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace tw {
namespace {

TEST(HostEvents, EachCodeReachesOnlyItsComposer) {
    test::Sandbox box(2);
    Composer standard{box.session()};
    FmComposer fm(box.session(), false);
    PulseComposer pulse{box.session(), box.prompts};
    const HostEventCodes codes[] = {standard.hostEvents(), fm.hostEvents(), pulse.hostEvents()};
    EXPECT_EQ(DecideHostEvent(codes[0], 3, 0).kind, HostEventAction::Close);
    EXPECT_EQ(DecideHostEvent(codes[1], 3, 0).kind, HostEventAction::Ignore);
    EXPECT_EQ(DecideHostEvent(codes[2], 3, 0).kind, HostEventAction::Ignore);
    EXPECT_EQ(DecideHostEvent(codes[2], 17, 0).kind, HostEventAction::Close);
    EXPECT_EQ(DecideHostEvent(codes[0], 17, 0).kind, HostEventAction::Ignore);
    EXPECT_EQ(DecideHostEvent(codes[1], 10, 0).kind, HostEventAction::Close);
    EXPECT_EQ(DecideHostEvent(codes[1], 6, 0).kind, HostEventAction::Ignore);
    EXPECT_EQ(DecideHostEvent(codes[1], 13, 0).kind, HostEventAction::Move);
    EXPECT_EQ(DecideHostEvent(codes[2], 4, 0).kind, HostEventAction::Reread);
    EXPECT_EQ(DecideHostEvent(codes[0], 7, 0).kind, HostEventAction::Ignore);
}

// Before the check, numbers out of range read as channel 1215752191 and segment -2147483648.
TEST(HostEvents, RereadKeepsTheChannelAndSegmentShownForNumbersOutOfRange) {
    test::Sandbox box; // an instrument of two channels
    struct Step {
        const char* channel;
        const char* segments;
        ChannelSegment shown;
        const char* message; // "" for none
    } steps[] = {
        {"1", "3 5", {1, 5}, ""},
        {"1", "3", {1, 5}, ""}, // no entry for channel 1
        {"99999999999",
         "1e12 7",
         {1, 7},
         "Key=ActiveCh\nValue 99999999999 is out of range 0..1; 1"},
        {"1", "3 1e12", {1, 7}, "Key=AcSeg\nValue 1000000000000 is out of range 1..16777216; 7"},
        {"2", "3 1e12", {1, 7}, "Key=ActiveCh\nValue 2 is out of range 0..1; 1 is used."},
        {"0", "3 1e12", {0, 3}, ""},   // only the active channel's entry matters
        {"one", "3 1e12", {0, 3}, ""}, // no number: absent
        {"inf", "3 1e12", {0, 3}, "Key=ActiveCh\nValue inf is out of range 0..1; 0 is used."},
    };
    ChannelSegment now;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.channel);
        box.prompts.clear();
        box.set(box.exchange(), "Settings", "ActiveCh", step.channel);
        box.set(box.exchange(), "Settings", "AcSeg", step.segments);
        now = ExchangeFile::Active(box.session()).Reread(now, false);
        EXPECT_EQ(now.channel, step.shown.channel);
        EXPECT_EQ(now.segment, step.shown.segment);
        if (*step.message)
            EXPECT_TRUE(box.prompts.sawText(step.message)) << box.prompts.lastText();
        else
            EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
    }
}

TEST(WindowTitle, ShortPathsTitlesAndPublication) {
    EXPECT_EQ(ShortPathForTitle("C:/a/b/c/f.wav"), "C:/.../f.wav");
    EXPECT_EQ(ShortPathForTitle("/home/u/x.wav"), "/.../x.wav");
    EXPECT_EQ(ShortPathForTitle("dir/f.wav"), "dir/f.wav");

    test::Sandbox box;
    std::string title = BuildWindowTitle(box.session(), "/home/u/x.wav");
    EXPECT_EQ(title, "Tidewright -> /.../x.wav");
    EXPECT_TRUE(Show(box.prompts, PublishTitle(box.session(), title)));
    EXPECT_EQ(box.get(box.exchange(), "AppTits", "TD"), title);
    EXPECT_EQ(*ReadWholeFile(box.session().logFile), "\nCOMPOSER:" + title + "\n");

    test::Sandbox pulse(2);
    EXPECT_EQ(PulseTrainTitle(pulse.session(), 0), "Trainsmith -> Untitled-Ch1");
    pulse.set(pulse.exchange(), "PulseRoot-Ch1", "PulseOrg", "/t/train.pls");
    EXPECT_EQ(PulseTrainTitle(pulse.session(), 0), "Trainsmith -> /t/train.pls");

    LaunchState bad = pulse.session();
    bad.composerId = 7;
    EXPECT_FALSE(Show(pulse.prompts, PublishTitle(bad, "x")));
    EXPECT_EQ(pulse.prompts.lastText(), "ATTENTION\nInvalid Composer ID");
}

} // namespace
} // namespace tw
