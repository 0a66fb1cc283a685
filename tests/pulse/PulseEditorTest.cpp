#include "TrainBuilder.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "pulse/PulseEditor.h"
#include "pulse/PulseViewState.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <memory>

namespace tw {
namespace {

struct RecordingHost : PulseEditorHost {
    bool full = true;
    int changes = 0;
    std::string lockFile;         // the exchange file's
    bool unlockedWhenTold = true; // the view may write the exchange file when it hears of a change
    bool fullTrainView() const override { return full; }
    void trainChanged() override {
        ++changes;
        unlockedWhenTold &= !FileExists(lockFile);
    }
};

class PulseEditorTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
    PulseLimits limits;
    RecordingHost host;
    std::unique_ptr<PulseEditor> ed;

    void SetUp() override {
        host.lockFile = box.exchange() + ".lock";
        PulseViewState().Load(box.session(),
                              0); // the fresh train of a new composer: one "Points" section, ms
        open();
    }
    void open() {
        limits = LoadPulseLimits(box.session());
        ed = std::make_unique<PulseEditor>(limits, host, box.session(), box.prompts);
        ed->OpenSection();
    }
    std::string stored(int i, const std::string& key) const {
        return box.get(box.exchange(), "Pulse" + std::to_string(i) + "-ch1", key);
    }
    std::string root(const std::string& key) const {
        return box.get(box.exchange(), "PulseRoot-ch1", key);
    }
    // Rows of a DC-interval section typed in as the user would.
    void typeIntervals(const std::vector<std::pair<const char*, const char*>>& rows) {
        ASSERT_TRUE(ed->SetFormat(kLinkFormat));
        for (size_t r = 0; r < rows.size(); ++r) {
            if (static_cast<int>(r) >= ed->rowCount())
                ed->AppendRow();
            ASSERT_TRUE(ed->EditCell(int(r), kLevelColumn, rows[r].first));
            ASSERT_TRUE(ed->EditCell(int(r), kIntervalColumn, rows[r].second));
        }
    }
};

TEST_F(PulseEditorTest, StoresSecondsAndVoltsWhateverTheDesignUnits) {
    WriteTrainRoot(box.session(), 0, "tmUnitInd", "2");
    WriteTrainRoot(box.session(), 0, "voltInd", "1");
    open();
    EXPECT_EQ(ed->DesignUnitsText(), "mV, us");
    typeIntervals({{"500", "2.5"}});
    EXPECT_EQ(stored(0, "Link0-sub1"), "0.5");
    EXPECT_EQ(stored(0, "Link0-sub2"), "2.5e-6");
    EXPECT_EQ(stored(0, "Link0-sub3"), "2.5e-6");
    EXPECT_EQ(root("Duration"), "2.5e-06");
    EXPECT_EQ(root("VpMx"), "0.5");

    WriteTrainRoot(box.session(), 0, "tmUnitInd", "1");
    open();
    EXPECT_DOUBLE_EQ(std::stod(ed->text(0, kIntervalColumn)), 0.0025);
    EXPECT_EQ(ed->DurationText(), "2.5e-3 ms");
    EXPECT_TRUE(box.prompts.asked.empty());
}

TEST_F(PulseEditorTest, RefusedValuesKeepTheTrainAndDeletedNodesRebuildTheNextInterval) {
    // The start node of a "Points" section keeps its fixed times.
    EXPECT_TRUE(ed->EditCell(0, kCumulativeColumn, "0"));
    EXPECT_TRUE(box.prompts.asked.empty());
    EXPECT_EQ(stored(0, "Node0-sub3"), "<absent>");
    EXPECT_FALSE(ed->EditCell(0, kCumulativeColumn, "1"));
    EXPECT_EQ(
        box.prompts.lastText(),
        "Do not edit this field for Index = 1  and Design Format = \"Points\" .\n[ Value 1 ]");
    EXPECT_EQ(ed->text(0, kCumulativeColumn), "0");

    ASSERT_TRUE(ed->EditCell(0, kLevelColumn, "1"));
    ed->AppendRow();
    EXPECT_TRUE(ed->EditCell(1, kIntervalColumn, "0")); // a vertical step between nodes
    EXPECT_FALSE(ed->EditCell(1, kIntervalColumn, "-1"));
    EXPECT_EQ(box.prompts.lastText(),
              "Link: 2\nTime interval -1 is negative.\nPrevious value will be restored.");
    EXPECT_FALSE(ed->EditCell(1, kLevelColumn, "x1"));
    EXPECT_EQ(box.prompts.lastText(),
              "Link: 2\nNon numeric value x1 is not allowed.\nPrevious value will be restored.");
    EXPECT_FALSE(ed->EditCell(1, kLevelColumn, "5.5"));
    EXPECT_EQ(box.prompts.lastText(),
              "Link: 2\nLevel 5.5  out of range.\nPrevious value will be restored.");
    EXPECT_EQ(ed->text(1, kLevelColumn), "");
    EXPECT_EQ(stored(0, "Node1-sub1"), "<absent>");

    ASSERT_TRUE(ed->EditCell(1, kLevelColumn, "2"));
    ASSERT_TRUE(ed->EditCell(1, kCumulativeColumn, "3"));
    ed->AppendRow();
    ASSERT_TRUE(ed->EditCell(2, kLevelColumn, "0"));
    EXPECT_FALSE(ed->EditCell(2, kCumulativeColumn, "2"));
    EXPECT_EQ(box.prompts.lastText(),
              "Link: 3\nInvalid time sequence: 2.\nPrevious value will be restored.");
    // One sample of the fastest clock (250 MS/s) is 4 ns = 4e-6 ms.
    EXPECT_FALSE(ed->EditCell(2, kCumulativeColumn, "3.000001"));
    EXPECT_EQ(box.prompts.lastText(), "Link: 3\nImplementation restriction.\nTime: 3.000001 "
                                      "exceeds Instrument resolution.\nPrevious value will be "
                                      "restored.");
    EXPECT_TRUE(ed->EditCell(2, kCumulativeColumn, "3.000004"));
    EXPECT_EQ(stored(0, "Node2-sub2"), "4e-9");
    EXPECT_EQ(box.prompts.asked.size(), 6u);

    // Deleting a node rebuilds the next one's interval from the node before.
    ed->selectedRow = 0;
    EXPECT_FALSE(ed->DeleteRow());
    EXPECT_EQ(box.prompts.lastText(), "For design format \"Points\" first item cannot be removed");
    ed->selectedRow = 1;
    ASSERT_TRUE(ed->DeleteRow());
    EXPECT_EQ(ed->text(1, kIntervalColumn), "3.000004");
    EXPECT_EQ(stored(0, "Node1-sub2"), "3.000004e-3");
}

// With offset and amplitude independent, the swing itself must fit the amplitude range.
TEST_F(PulseEditorTest, LevelsFitTheAmplitudeRangeWhenTheOffsetIsIndependent) {
    typeIntervals({{"1", "1"}});
    box.set(box.descr(), "ParmConditions", "ampOfs_Indep", "true");
    open();
    ed->AppendRow();
    ASSERT_TRUE(ed->EditCell(1, kLevelColumn, "8"));
    EXPECT_FALSE(ed->EditCell(0, kLevelColumn, "-3"));
    EXPECT_TRUE(ed->EditCell(0, kLevelColumn, "-2"));
    EXPECT_EQ(stored(0, "mnV"), "-2.000");
    EXPECT_EQ(root("VpMn"), "-2");
}

TEST_F(PulseEditorTest, TimeEditsRepairThePartnerColumnAndTheRowsBelow) {
    typeIntervals({{"1", "1"}, {"2", "2"}, {"3", "3"}});
    EXPECT_EQ(ed->text(2, kCumulativeColumn), "6");
    ASSERT_TRUE(ed->EditCell(0, kIntervalColumn, "2"));
    EXPECT_EQ(ed->text(1, kCumulativeColumn), "4");
    EXPECT_EQ(stored(0, "Link2-sub3"), "7e-3");
    EXPECT_EQ(stored(0, "LocDur"), "7e-3");

    ASSERT_TRUE(ed->EditCell(1, kCumulativeColumn, "5"));
    EXPECT_EQ(ed->text(1, kIntervalColumn), "3");
    EXPECT_EQ(stored(0, "Link2-sub2"), "2e-3");
    EXPECT_EQ(stored(0, "LocDur"), "7e-3");

    ed->selectedRow = 0;
    ASSERT_TRUE(ed->DeleteRow());
    ASSERT_EQ(ed->rowCount(), 2);
    EXPECT_EQ(ed->text(0, 0), "1");
    EXPECT_EQ(stored(0, "Link1-sub3"), "5e-3");
    EXPECT_EQ(stored(0, "Link2-sub1"), "<absent>");
    EXPECT_EQ(stored(0, "qItm"), "2");
    EXPECT_EQ(root("Duration"), "0.005");

    EXPECT_TRUE(ed->Undo());
    EXPECT_EQ(ed->rowCount(), 3);
    EXPECT_EQ(stored(0, "LocDur"), "7e-3");
    EXPECT_FALSE(ed->CanUndo());

    EXPECT_FALSE(ed->EditCell(1, kIntervalColumn, "0")); // a DC interval holds a level
    EXPECT_EQ(box.prompts.lastText(),
              "Link: 2\nTime interval 0 is not positive.\nPrevious value will be restored.");
}

TEST_F(PulseEditorTest, RowCommandsNeedACompleteSection) {
    typeIntervals({{"1", "1"}, {"2", "2"}});
    ed->AppendRow();
    ASSERT_TRUE(ed->EditCell(2, kLevelColumn, "3"));
    ed->selectedRow = 1;
    EXPECT_FALSE(ed->InsertRow());
    EXPECT_EQ(box.prompts.lastText(), "Section 1 incomplete.\nUnable to perform operation.");
    ASSERT_TRUE(ed->EditCell(2, kIntervalColumn, "3"));
    ed->AppendRow(); // a blank last row is no gap
    EXPECT_TRUE(ed->IsComplete());
    ed->selectedRow = 1;
    ASSERT_TRUE(ed->InsertRow());
    EXPECT_EQ(ed->rowCount(), 5);
    EXPECT_EQ(stored(0, "Link1-sub1"), "<absent>");
    EXPECT_EQ(stored(0, "Link2-sub1"), "2");
    EXPECT_EQ(stored(0, "Link3-sub2"), "3e-3");
    EXPECT_EQ(stored(0, "qItm"), "4");

    EXPECT_FALSE(ed->SetFormat(kNodeFormat));
    EXPECT_EQ(box.prompts.lastText(),
              "Pulse train format can be changed for an empty section only.\nUse \"Edit\" "
              "commands to add a new pulse train section.");
    EXPECT_EQ(ed->format(), kLinkFormat);

    ed->DeleteAll();
    EXPECT_EQ(ed->rowCount(), 1);
    EXPECT_EQ(stored(0, "LocDur"), "0");
    EXPECT_EQ(stored(0, "Link2-sub1"), "<absent>");
    EXPECT_EQ(root("Duration"), "0");
    EXPECT_TRUE(ed->SetFormat(kNodeFormat));
    EXPECT_EQ(ed->Title(), "Pulse Editor - Section 1   <Points>");
}

TEST_F(PulseEditorTest, RepeatStaysWithinTheInstrumentsLoopCount) {
    typeIntervals({{"1", "2"}});
    EXPECT_FALSE(ed->ApplyRepeat("0"));
    EXPECT_EQ(box.prompts.lastText(),
              "Loops number: 0 out of range.\nPrevious value will be restored.");
    EXPECT_FALSE(ed->ApplyRepeat("1000001"));
    EXPECT_EQ(ed->repeat(), 1);
    EXPECT_TRUE(ed->ApplyRepeat("1000000"));
    EXPECT_EQ(stored(0, "Repeat"), "1000000");
    EXPECT_EQ(root("Duration"), "2000");
    EXPECT_EQ(ed->DurationText(), "2e6 ms");
}

TEST_F(PulseEditorTest, SectionCommandsKeepAtMostOneEmptySection) {
    typeIntervals({{"1", "1"}});
    ASSERT_TRUE(ed->AppendSection());
    EXPECT_EQ(ed->activeSection(), 1);
    EXPECT_EQ(stored(1, "Start"), "1e-3");
    EXPECT_EQ(ed->format(), kLinkFormat);
    EXPECT_FALSE(ed->AppendSection());
    EXPECT_EQ(box.prompts.lastText(), "Only one empty section is allowed at any time");

    host.full = false;
    EXPECT_FALSE(ed->InsertSection());
    EXPECT_EQ(box.prompts.lastText(), "Available in the \"Full Train\" Current Viewmode only");
    host.full = true;

    // Sections 0 and 2 empty around a filled section 1: deleting 1 would join two empties.
    WriteTrainRoot(box.session(), 0, "activePls", "0");
    ed->OpenSection();
    ASSERT_TRUE(ed->InsertSection());
    EXPECT_EQ(root("qPls"), "3");
    EXPECT_EQ(stored(1, "Link0-sub1"), "1");
    EXPECT_EQ(stored(2, "Start"), "1e-3");
    WriteTrainRoot(box.session(), 0, "activePls", "1");
    ed->OpenSection();
    EXPECT_FALSE(ed->DeleteSection());
    EXPECT_EQ(box.prompts.lastText(),
              "Empty adjacent sections are prohibited.\nRemove one to be able to proceed.");

    WriteTrainRoot(box.session(), 0, "activePls", "0");
    ed->OpenSection();
    ASSERT_TRUE(ed->DeleteSection());
    EXPECT_EQ(root("qPls"), "2");
    EXPECT_EQ(stored(0, "Link0-sub1"), "1");
    EXPECT_EQ(stored(0, "Start"), "0");
    ASSERT_TRUE(ed->CanUndoTrain());
    ASSERT_TRUE(ed->UndoTrain());
    EXPECT_EQ(root("qPls"), "3");
    EXPECT_FALSE(ed->CanUndoTrain());

    box.prompts.then(Answer::No);
    EXPECT_FALSE(ed->RemoveAllSections());
    EXPECT_EQ(root("qPls"), "3");
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(ed->RemoveAllSections());
    EXPECT_EQ(root("qPls"), "1");
    EXPECT_EQ(stored(1, "SectFmt"), "<absent>");
    EXPECT_EQ(stored(0, "LocDur"), "0");
    EXPECT_EQ(root("Duration"), "0");
    EXPECT_GT(host.changes, 5);
    EXPECT_TRUE(host.unlockedWhenTold);
}

TEST_F(PulseEditorTest, EditingALongSectionRewritesTheExchangeFileOnce) {
    std::vector<test::BuiltRow> rows;
    for (int r = 0; r < 1000; ++r)
        rows.push_back({r % 2 ? 1.0 : -1.0, 1e-6});
    test::WriteTrain(box.session(), {{kLinkFormat, 2, rows}, {kLinkFormat, 1, {{0, 1e-6}}}});
    open();
    ASSERT_EQ(ed->rowCount(), 1000);

    auto before = profile::RewriteCount();
    ASSERT_TRUE(ed->EditCell(0, kIntervalColumn, "2")); // every cumulative time below moves
    EXPECT_EQ(profile::RewriteCount() - before, 1u);
    EXPECT_EQ(stored(0, "LocDur"), "1.001e-3"); // the builder designs in us
    EXPECT_EQ(stored(1, "Start"), "2.002e-3");
    EXPECT_EQ(root("Duration"), "0.002003");

    before = profile::RewriteCount();
    ASSERT_TRUE(ed->EditCell(500, kLevelColumn, "4"));
    EXPECT_EQ(profile::RewriteCount() - before, 1u);
    EXPECT_EQ(root("VpMx"), "4");
}

} // namespace
} // namespace tw
