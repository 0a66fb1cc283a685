#include "TrainBuilder.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "pulse/PulseComposer.h"
#include "pulse/PulseDownload.h"
#include "pulse/PulseOptions.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>

namespace tw {
namespace {

// A reader of segment-and-sequence exports written from the format alone: the "Length" value
// of the text part says where the samples begin.
struct TssFile {
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::string samples;

    static TssFile read(const std::string& path) {
        TssFile f;
        std::string all = ReadWholeFile(path).value_or("");
        auto at = all.find("Length=");
        if (at == std::string::npos)
            return f;
        size_t textSize = std::strtoul(all.substr(at + 7, 10).c_str(), nullptr, 10);
        std::istringstream text(all.substr(0, textSize));
        std::string line, section;
        while (std::getline(text, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line.front() == '[')
                section = line.substr(1, line.find(']') - 1);
            else if (auto eq = line.find('='); eq != std::string::npos)
                f.sections[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
        f.samples = all.substr(std::min(textSize, all.size()));
        return f;
    }
};

class PulseFilesTest : public ::testing::Test {
  protected:
    test::Sandbox box{2};
    std::unique_ptr<PulseComposer> composer;

    int channel = 0;
    // The host's active channel, as the composer reads it when it starts.
    void useChannel(int c) {
        channel = c;
        box.set(box.exchange(), "Settings", "ActiveCh", std::to_string(c));
    }
    void start(const std::vector<test::BuiltSection>& train, int mode) {
        test::WriteTrain(box.session(), train, 2, channel);
        WriteGeneralSetting(box.session(), "forceSingSeg", std::to_string(mode), "PulseComp");
        WriteGeneralSetting(box.session(), "hideSumm", "Hide", "PulseComp");
        composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
    }
};

TEST_F(PulseFilesTest, WavSaveWritesTheSamplesAndAMasterFileBeside) {
    start({{kLinkFormat, 2, {{1, 8e-6}, {-1, 8e-6}}}}, kSequencedMode);
    EXPECT_FALSE(composer->Save()); // no name yet: Save As must ask
    std::string wav = box.root() + "/out.wav";
    ASSERT_TRUE(composer->SaveAs(wav));
    EXPECT_EQ(ReadWholeFile(wav), ReadWholeFile(box.tmp() + "Seg-1.wav"));
    EXPECT_EQ(FileSize(wav), 2 * 2 * 16); // one segment holding both passes
    std::string pls = box.root() + "/out.pls";
    EXPECT_EQ(box.get(pls, "PulseRoot", "qPls"), "1");
    EXPECT_EQ(box.get(box.exchange(), "PulseRoot-ch1", "PulseOrg"), pls);

    WriteSectionKey(box.session(), 0, 0, "Repeat", "3");
    EXPECT_TRUE(composer->Save());
    EXPECT_EQ(box.get(pls, "Pulse0", "Repeat"), "3");

    // A train that cannot compile writes neither file.
    test::WriteTrain(box.session(), {{kNodeFormat, 1, {{1, 0}}}});
    composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
    EXPECT_FALSE(composer->SaveAs(box.root() + "/bad.wav"));
    EXPECT_FALSE(FileExists(box.root() + "/bad.wav"));
    EXPECT_FALSE(FileExists(box.root() + "/bad.pls"));
}

TEST_F(PulseFilesTest, SavingIntoTheTmpFolderAsksFirst) {
    start({{kLinkFormat, 1, {{1, 8e-6}}}}, kSingleSegmentMode);
    box.prompts.then(Answer::No);
    EXPECT_FALSE(composer->SaveAs(box.tmp() + "train.pls"));
    EXPECT_EQ(box.prompts.lastText(), "Storing in Temporary folder is not recommended.\nSave ?");
    EXPECT_FALSE(FileExists(box.tmp() + "train.pls"));
    box.prompts.then(Answer::Yes);
    EXPECT_TRUE(composer->SaveAs(box.tmp() + "train.pls"));
    EXPECT_EQ(box.get(box.tmp() + "train.pls", "Pulse0", "Link0-sub1"), "1");
}

TEST_F(PulseFilesTest, OpenReplacesTheTrainAndDropsItsUndo) {
    useChannel(1);
    start({{kLinkFormat, 1, {{1, 8e-6}}}, {kLinkFormat, 1, {{2, 8e-6}}}}, kSingleSegmentMode);
    std::string pls = box.root() + "/two.pls";
    ASSERT_TRUE(composer->SaveAs(pls));
    useChannel(0);
    composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
    WriteFileAtomically(composer->editor.trainUndoFile(), "[PulseRoot]\nqPls=1\n");
    ASSERT_TRUE(composer->Open(pls));
    EXPECT_EQ(box.get(box.exchange(), "Pulse1-ch1", "Link0-sub1"), "2");
    EXPECT_EQ(composer->view.sectionCount, 2);
    EXPECT_FALSE(composer->editor.CanUndoTrain());
    EXPECT_EQ(composer->editor.text(0, 1), "1");
}

TEST_F(PulseFilesTest, OpenKeepsTheTrainWithinTheInstrumentsLinks) {
    start({{kLinkFormat, 1, {{1, 8e-6}, {2, 8e-6}}}, {kLinkFormat, 1, {{2, 8e-6}}}},
          kSingleSegmentMode);
    std::string pls = box.root() + "/three-links.pls";
    ASSERT_TRUE(composer->SaveAs(pls));
    box.set(box.descr(), "SegmTbl", "MaxLinkNo", "2");
    composer = std::make_unique<PulseComposer>(box.session(), box.prompts);
    ASSERT_TRUE(composer->Open(pls));
    EXPECT_EQ(composer->view.sectionCount, 1);
    EXPECT_TRUE(box.prompts.sawText("The train holds more than 2 links, the most the instrument "
                                    "takes: sections 2 to 2 are left out."));
}

TEST_F(PulseFilesTest, SegmentTableExportStatesWhereItsSamplesBegin) {
    box.set(box.exchange(), "PulseRoot-ch1", "frcSclk_toVal", "1");
    box.set(box.exchange(), "PulseRoot-ch1", "forceSclk", "1e6");
    start({{kLinkFormat, 2, {{1, 100e-6}, {-1, 100e-6}}}}, kSequencedMode);
    ASSERT_EQ(composer->Download(), kDownloadDone);
    std::string tss = box.root() + "/train.tss";
    ASSERT_TRUE(composer->SaveAs(tss));

    TssFile f = TssFile::read(tss);
    const auto& segments = f.sections["SegmTbl"];
    EXPECT_EQ(segments.at("1"), "Seg-1.wav");
    EXPECT_EQ(segments.at("FLen1"), "40");
    EXPECT_EQ(segments.count("6"), 0u); // ten steps over five segment files
    EXPECT_EQ(f.sections["Header"]["Bit"], "14");
    const auto& steps = f.sections["SequTbl-1"];
    EXPECT_EQ(steps.at("Link2"), "2 5 0 0");
    EXPECT_EQ(steps.at("Link6"), "1 1 0 0");
    EXPECT_EQ(steps.count("Link11"), 0u);
    std::string expected;
    for (int j = 1; j <= 5; ++j)
        expected += ReadWholeFile(box.tmp() + "Seg-" + std::to_string(j) + ".wav").value_or("?");
    EXPECT_EQ(f.samples, expected);
    EXPECT_EQ(box.get(box.tmp() + "tmmp/TempPulse.ini", "SequTbl-CH0-1", "Link10"), "5 1 0 0");

    RemoveFile(box.tmp() + "Seg-3.wav");
    EXPECT_FALSE(composer->SaveAs(tss));
    EXPECT_EQ(box.prompts.asked.back().caption, "Attention");
    EXPECT_EQ(box.prompts.lastText(), "Segment table corrupted, impossible to export file");
    EXPECT_FALSE(FileExists(tss));
}

} // namespace
} // namespace tw
