#include "pulse/PulseComposer.h"
#include "TrainBuilder.h"
#include "app/LaunchState.h"
#include "pulse/PulseTrace.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// Section 0 played three times, then section 1 from 12 ms, the active one.
TrainData twoSections(const test::Sandbox& box) {
    test::WriteTrain(
        box.session(),
        {{kLinkFormat, 3, {{1, 1e-3}, {1, 2e-3}, {0, 1e-3}}}, {kLinkFormat, 1, {{2, 1e-3}}}},
        1); // ms: times are drawn x 1000
    TrainData t = ReadTrain(box.session(), 0);
    t.activeSection = 1;
    return t;
}

// The joins, repeats and pens of a whole train are the view's pixel tests'.
TEST(PulseTrace, TheActiveSectionStandsOutOnlyWhileTheEditorShows) {
    test::Sandbox box(2);
    TrainData t = twoSections(box);
    EXPECT_FALSE(TracePulseTrain(t, {0, false, 0}).marker);
    TrainTrace shown = TracePulseTrain(t, {0, true, 0});
    ASSERT_EQ(shown.lines.size(), 3u);
    EXPECT_EQ(shown.lines[0].pen, TracePen::Plain);
    EXPECT_EQ(shown.lines[2].pen, TracePen::Emphasised);
    ASSERT_TRUE(shown.marker);
    EXPECT_FALSE(shown.marker->ring);
    EXPECT_EQ(shown.marker->from, (TracePoint{12, 2}));
    EXPECT_EQ(shown.marker->to, (TracePoint{13, 2}));

    TrainTrace single = TracePulseTrain(t, {1, true, 0});
    ASSERT_EQ(single.lines.size(), 1u);
    EXPECT_EQ(single.lines[0].points.front(), (TracePoint{12, 2}));
}

TEST(PulseTrace, NodesAreRingedAndAnEmptyFirstSectionIsNotJoined) {
    TrainData t;
    t.timeUnit = 0;
    TrainSectionData empty;
    TrainSectionData nodes;
    nodes.format = kNodeFormat;
    nodes.rows = {{0.0, 0.0, 0.0}, {1.0, 2.0, 2.0}, {std::nullopt, 1.0, 3.0}, {0.0, 0.0, 0.0}};
    nodes.rowCount = 4;
    t.sections = {empty, nodes};
    t.sectionCount = 2;
    t.activeSection = 1;
    TrainTrace trace = TracePulseTrain(t, {0, true, 1});
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0].points, (std::vector<TracePoint>{{0, 0}, {2, 1}}));
    ASSERT_TRUE(trace.marker);
    EXPECT_TRUE(trace.marker->ring);
    EXPECT_EQ(trace.marker->from, (TracePoint{2, 1}));
}

// The pulse composer has no document: it keeps its own channel, the one the host left in the
// exchange file when it starts and again at the host's re-read event.
TEST(PulseComposer, ComposesTheTrainOfTheHostsActiveChannel) {
    test::Sandbox box(kPulseComposer);
    box.set(box.exchange(), "Settings", "ActiveCh", "1");
    PulseComposer composer{box.session(), box.prompts};
    EXPECT_EQ(composer.activeChannel(), 1);
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch2", "qPls"), "1") << "a fresh train";
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "qPls"), "<absent>");
    EXPECT_EQ(composer.windowTitle(""), "Trainsmith -> Untitled-Ch2");

    box.set(box.exchange(), "PulseRoot-ch1", "PulseOrg", "/t/first.pls");
    box.set(box.exchange(), "Settings", "ActiveCh", "0");
    composer.RereadChannel();
    EXPECT_EQ(composer.activeChannel(), 0);
    EXPECT_EQ(composer.windowTitle(""), "Trainsmith -> /t/first.pls");

    box.set(box.exchange(), "Settings", "ActiveCh", "2"); // the instrument has two channels
    composer.RereadChannel();
    EXPECT_EQ(composer.activeChannel(), 0);
    EXPECT_TRUE(box.prompts.sawText("Key=ActiveCh\nValue 2 is out of range 0..1; 0 is used."));
}

TEST(PulseComposer, SectionMenusFollowTheTrain) {
    test::Sandbox box(2);
    test::WriteTrain(box.session(), {{kLinkFormat, 1, {{1, 1e-6}}},
                                     {kLinkFormat, 1, {{2, 1e-6}}},
                                     {kLinkFormat, 1, {{3, 1e-6}}}});
    PulseComposer c{box.session(), box.prompts};
    EXPECT_TRUE(c.IsEnabled(kCmdSection1 + 2));
    EXPECT_FALSE(c.IsEnabled(kCmdSection1 + 3));
    EXPECT_FALSE(c.IsEnabled(kCmdFullTrain));
    EXPECT_EQ(c.SectionList().back(), "Section 3");

    EXPECT_TRUE(c.Execute(kCmdSection1 + 2));
    EXPECT_EQ(c.view.viewMode, 1);
    EXPECT_EQ(c.view.activeSection, 2);
    EXPECT_TRUE(c.IsChecked(kCmdSection1 + 2));
    EXPECT_EQ(c.editor.text(0, 1), "3");
    EXPECT_TRUE(c.IsEnabled(kCmdFullTrain));
    EXPECT_FALSE(c.editor.AppendSection()); // only in the full-train view
    EXPECT_EQ(box.prompts.lastText(), "Available in the \"Full Train\" Current View mode only");

    c.editor.AppendRow();
    ASSERT_TRUE(c.editor.EditCell(1, 1, "1"));
    EXPECT_TRUE(c.Execute(kCmdSection1));
    EXPECT_EQ(box.prompts.lastText(), "Section 3 incomplete.\nUnable to perform operation.");
    EXPECT_EQ(c.view.activeSection, 2);

    c.Close();
    EXPECT_EQ(box.get(box.session().generalIni, "PulseComp", "SectVw-ch1"), "1");
}

} // namespace
} // namespace tw
