#include "host/HostEvents.h"
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/Composer.h"
#include "fm/FmComposer.h"
#include "host/ExchangeFile.h"
#include "host/HostLink.h"
#include "host/WindowTitle.h"
#include "pulse/PulseComposer.h"
#include "support/HostRecorder.h"
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

    long xy = (20L << 16) | (static_cast<unsigned short>(-10));
    HostEventAction move = DecideHostEvent(codes[0], 6, xy);
    EXPECT_EQ(move.kind, HostEventAction::Move);
    EXPECT_EQ(move.x, -10);
    EXPECT_EQ(move.y, 20);
}

TEST(HostEvents, ProgressBarIsCreatedOnceAndRemoved) {
    ProgressState p;
    EXPECT_EQ(ApplyProgressNotice(p, 10, 1), 11);
    ApplyProgressNotice(p, 40, 1);
    EXPECT_EQ(p.created, 1);
    EXPECT_EQ(p.position, 40);
    ApplyProgressNotice(p, 0, 0);
    EXPECT_FALSE(p.visible);
    ApplyProgressNotice(p, 5, 1);
    EXPECT_EQ(p.created, 2);
}

TEST(HostEvents, RereadKeepsTheChannelAndSegmentShownForNumbersOutOfRange) {
    test::Sandbox box;
    ChannelSegment now;
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "3 5");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_EQ(now.channel, 1);
    EXPECT_EQ(now.segment, 5);

    // Before the check these were channel 1215752191 and segment -2147483648.
    box.set(box.exchange(), "Settings", "ActiveCh", "99999999999");
    box.set(box.exchange(), "Settings", "AcSeg", "1e12 7");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_EQ(now.channel, 1);
    EXPECT_EQ(now.segment, 7);
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    box.set(box.exchange(), "Settings", "AcSeg", "3 1e12");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_EQ(now.segment, 7);
    box.set(box.exchange(), "Settings", "ActiveCh", "2"); // the instrument has two channels
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_EQ(now.channel, 1);
    ASSERT_EQ(box.prompts.asked.size(), 4u);
    EXPECT_TRUE(box.prompts.sawText("Key=ActiveCh\nValue 99999999999 is out of range 0..1; 1 is "
                                    "used."));
    EXPECT_TRUE(box.prompts.sawText("Key=AcSeg\nValue 1000000000000 is out of range "
                                    "1..16777216; 7 is used."));

    box.prompts.clear();
    box.set(box.exchange(), "Settings", "ActiveCh", "0");
    box.set(box.exchange(), "Settings", "AcSeg", "3 1e12");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_EQ(now.channel, 0);
    EXPECT_EQ(now.segment, 3);
    EXPECT_TRUE(box.prompts.asked.empty()) << "only the active channel's entry matters";

    // A value that is no number reads as absent; one that is not finite is refused.
    box.set(box.exchange(), "Settings", "ActiveCh", "one");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_TRUE(box.prompts.asked.empty());
    box.set(box.exchange(), "Settings", "ActiveCh", "inf");
    now = ExchangeFile::Active(box.session()).Reread(now, false);
    EXPECT_TRUE(box.prompts.sawText("Key=ActiveCh\nValue inf is out of range 0..1; 0 is used."));
}

TEST(HostLink, SendsOnlyWhenTheHostIsNamedAndFound) {
    test::Sandbox box;
    test::HostRecorder link{"Consolia"};
    EXPECT_FALSE(Show(box.prompts, SendToExchangeHost(box.session(), "Cmd=:TRAC:DEL:ALL")));
    EXPECT_TRUE(box.prompts.asked.empty()) << "no AC key: silent skip";

    box.set(box.exchange(), "AppTits", "AC", "Consolia");
    EXPECT_TRUE(Show(box.prompts, SendToExchangeHost(box.session(), "Cmd=:TRAC:DEL:ALL")));
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], "Cmd=:TRAC:DEL:ALL");

    box.set(box.exchange(), "AppTits", "AC", "Somebody else");
    EXPECT_FALSE(Show(box.prompts, SendToExchangeHost(box.session(), "Cmd=x")));
    EXPECT_EQ(box.prompts.lastText(), "Unable to find target app.");
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
