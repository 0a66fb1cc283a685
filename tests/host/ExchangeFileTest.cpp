#include "host/ExchangeFile.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "host/FmExchange.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

using X = ExchangeFile;

// The host reads these texts by name, so each accessor must write exactly them. The whole file
// is compared with the recorded one so that a key written under a wrong name shows as an extra
// line.
TEST(ExchangeFile, WritesEveryKeyAsTheHostReadsIt) {
    test::Sandbox box;
    const LaunchState& s = box.session();
    box.write("Consolia/tmp/TempOndex.ondex",
              "[Settings]\nActiveCh=0\nAcSeg=1 1 1\n[AppTits]\nAC=Consolia\n");
    X::Active(s).WriteChannel(1);
    X::Active(s).StoreSegment(7, false);
    X::Settings(s).StoreTraceType(2);
    EXPECT_TRUE(X::Titles(s).Publish(kFmComposer, "FM Tidewright -> /.../a.wvf"));
    const auto rewrites = profile::RewriteCount();
    EXPECT_TRUE(X::Titles(s).Publish(kFmComposer, "FM Tidewright -> /.../a.wvf"));
    EXPECT_EQ(profile::RewriteCount(), rewrites) << "an unchanged title is not written again";
    EXPECT_FALSE(X::Titles(s).Publish(7, "x"));
    const std::string table = X::Segments::ChannelTable(1);
    X::Segments(s).Record(table, 7, "/w/TemS7.wa1");
    X::Segments(s).Record(X::Segments::Table(-1, 0, false), -1, "/w/FmDef.wvf");
    X::Segments(s).MarkSwitched();
    X::Segments(s).MarkLoaded(1, 7);
    X::Segments(s).RemoveModified(X::Segments::SavedKey(7));
    X::Segments(s).RecordPatternFile(1, 7, "/w/TemS7.wpt1");
    X::MarkerBits(s).Store(table, 13, 7, {{"1, 2;", "0"}, {"", "1"}});
    X::WaveParameters(s).Store(X::WaveParameters::kStandard,
                               {{X::WaveParameters::Min, "-5"}, {X::WaveParameters::DcLevel, "3"}},
                               {{"Cycl", "2"}});
    X::WaveParameters(s).StoreRange(X::WaveParameters::kStandard, 10, 20);
    X::Dialogs(s).StorePosition(X::Dialogs::kFm, 5, 6);
    X::Dialogs(s).StoreEquation(X::WaveParameters::kFm, {{X::Dialogs::Scale, true}},
                                {{X::WaveParameters::HighLevel, "9"}});
    X::Dialogs(s).StorePwmFields({{"Units", "1"}});
    X::PulseSequence(s).Write({{"/w/Seg-2.wav", "1"}, {"/w/Seg-1.wav", "3"}});
    X::PulseSequence(s).Write({{"/w/Seg-1.wav", "4"}});

    EXPECT_EQ(ReadWholeFile(box.exchange()),
              ReadWholeFile(TW_TEST_DATA_DIR "/host/written-keys.ondex"));

    X::WaveParameters(s).ForgetRange(X::WaveParameters::kStandard);
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Prv_end"), "<absent>");
    EXPECT_EQ(box.get(box.exchange(), "TdWav_Par", "Cycl"), "2") << "only the range goes";
    X::WaveParameters(s).Forget(X::WaveParameters::kFm);
    EXPECT_EQ(box.get(box.exchange(), "FmcWav_Par", "Fmax"), "<absent>");
}

// What the host wrote, in any letter case, reads back through the accessors; what it left out
// reads as absent, quietly unless the key is required. (The composers' own tests read the
// other keys.)
TEST(ExchangeFile, ReadsWhatTheHostWrote) {
    test::Sandbox box;
    const LaunchState& s = box.session();
    box.write("Consolia/tmp/TempOndex.ondex",
              ReadWholeFile(TW_TEST_DATA_DIR "/host/host-written.ondex").value());
    EXPECT_EQ(X::Instrument(s).DescrFile(), "/d/TW.ini");
    EXPECT_EQ(X::Instrument(s).Family(), "TW2000");
    EXPECT_EQ(X::Instrument(s).Channels(), 4);
    EXPECT_EQ(X::Active(s).Channel(4, 0), 2);
    EXPECT_EQ(X::Active(s).Segment(2, false, 1), 5);
    EXPECT_EQ(X::Active(s).Segment(2, true, 1), 8) << "FP-segment mode takes the first entry";
    const std::string table = X::Segments::ChannelTable(2);
    EXPECT_EQ(X::Segments(s).File(table, 5), "/w/TemS5.wa2");
    EXPECT_EQ(X::MarkerBits(s).Read(table, 14, 5).list, "3, 9;");
    const auto copies = X::MarkerBits(s).ForDownload(table, 5);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[1].bit, 14);
    EXPECT_TRUE(copies[1].invert);
    const std::string par = X::WaveParameters::kStandard;
    EXPECT_EQ(X::WaveParameters(s).Text(par, X::WaveParameters::End), "200 points");
    EXPECT_EQ(X::WaveParameters(s).Number(par, X::WaveParameters::End), 200);
    const auto steps = X::PulseSequence(s).Read();
    ASSERT_EQ(steps.size(), 2u) << "the table ends at the first missing step";
    EXPECT_EQ(steps[1].path, "/w/Seg-2.wav");
    EXPECT_EQ(steps[1].repeat, "");
    EXPECT_TRUE(box.prompts.asked.empty());

    box.write("Consolia/tmp/TempOndex.ondex", "[Settings]\nActiveCh=1\n");
    EXPECT_EQ(X::Instrument(s).Family(), std::nullopt);
    EXPECT_EQ(X::Instrument(s).Channels(), 1);
    EXPECT_EQ(X::Active(s).Segment(1, false, 1), std::nullopt);
    EXPECT_EQ(X::Dialogs(s).EquationButton(X::Dialogs::Scale), std::nullopt);
    EXPECT_EQ(X::Segments(s).File(table, 5), std::nullopt);
    EXPECT_TRUE(box.prompts.asked.empty()) << box.prompts.lastText();
    EXPECT_EQ(X::Instrument(s).DescrFile(), "");
    EXPECT_EQ(X::Segments(s).File(table, 5, true), std::nullopt);
    ASSERT_EQ(box.prompts.asked.size(), 2u);
    EXPECT_EQ(box.prompts.asked[0].text,
              "File " + box.exchange() + "\nSect=Instrument\nKey=DescrFile");
    EXPECT_EQ(box.prompts.asked[1].text, "File " + box.exchange() + "\nSect=SegmTbl-ch2\nKey=5");
}

// The FM composer's keys, as the host reads them. (The FM settings' tests read the others.)
TEST(ExchangeFile, FmKeysAsTheHostReadsThem) {
    test::Sandbox box(kFmComposer);
    const LaunchState& s = box.session();
    box.write("Consolia/tmp/TempOndex.ondex",
              "[Settings]\nFmFuncMode=2\nModCarFrq=1e8\nWformMode=0\nSclk=2e8\nMyBase=7e6\n"
              "[FmComposer]\nStdFmbase=6e6\nFmLen=4096\n[FmcWav_Par]\nPrv_bgn=3\n");
    EXPECT_EQ(FmExchange(s).Read(FmExchange::Wavelength, 0), 4096);
    EXPECT_EQ(FmExchange(s).ReadCarrier("MyBase", 0), 7e6);
    EXPECT_EQ(FmExchange(s).Where(FmExchange::Wavelength).section, "FmComposer");

    FmExchange(s).StoreSetUp({true, 4}, "2e6", 5e7);
    FmExchange(s).StoreSegmentDeviation(5, "3e6");
    FmExchange(s).StoreDeviation({false, 2}, "4e6", false, "1.02e8", "9.8e7");
    FmExchange(s).StoreOpenedRange("6e6", "1e8");
    FmExchange(s).StoreMarkers(2, false, {300, 100});
    EXPECT_EQ(FmExchange(s).Deviation({true, 5}), "3e6");
    EXPECT_EQ(FmExchange(s).Deviation({false, 2}), "4e6");
    EXPECT_EQ(FmExchange(s).Deviation({false, -1}), std::nullopt);
    EXPECT_EQ(FmExchange(s).MarkerTexts(2), (std::vector<std::string>{"300", "100"}));
    EXPECT_EQ(FmExchange(s).MarkerSort(2), "0");
    EXPECT_EQ(ReadWholeFile(box.exchange()),
              ReadWholeFile(TW_TEST_DATA_DIR "/host/written-fm-keys.ondex"));
}

} // namespace
} // namespace tw
