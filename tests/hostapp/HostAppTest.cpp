#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "host/ComposerKinds.h"
#include "hostapp/FilesOnly.h"
#include "hostapp/HostExchange.h"
#include "hostapp/HostLog.h"
#include "hostapp/InstrumentFacts.h"
#include "hostapp/LoggedTransport.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <deque>

namespace tw {
namespace {

TEST(HostApp, InstrumentFactsComeFromTheDescriptionAndBadValuesAreRefused) {
    test::Sandbox box(0, false);
    const FactsLoad sample = LoadInstrumentFacts(TW_SOURCE_DIR "/data/instrument/TW3256.ini");
    ASSERT_EQ(sample.error, "");
    EXPECT_EQ(sample.facts.model, "TW3256");
    EXPECT_EQ(sample.facts.name, "Tidewell TW3256");
    EXPECT_EQ(sample.facts.channels, 2);
    EXPECT_EQ(sample.facts.maxPoints, 268435456);
    EXPECT_EQ(sample.facts.lastSegment, 32768);
    EXPECT_EQ(sample.facts.sampleClock, "1e9");

    struct Case {
        const char* text;
        const char* error; // "" when it loads
    } cases[] = {
        {"[Axis]\nHRange=1000 16 4096\n[ParmLst]\nAcSeg=Segment Number 1 8\n", ""},
        {"[Instrument]\nChannels=0\n[Axis]\nHRange=1000 16 4096\n[ParmLst]\nAcSeg=S N 1 8\n",
         "Channels"},
        {"[Instrument]\nChannels=1e9\n[Axis]\nHRange=1000 16 4096\n[ParmLst]\nAcSeg=S N 1 8\n",
         "Channels"},
        {"[Axis]\nHRange=1000 16\n[ParmLst]\nAcSeg=S N 1 8\n", "HRange"},
        {"[Axis]\nHRange=1000 16 1e300\n[ParmLst]\nAcSeg=S N 1 8\n", "HRange"},
        {"[Axis]\nHRange=1000 16 4096\n[ParmLst]\nAcSeg=S N 1 99999999999\n", "AcSeg"},
        {"[Axis]\nHRange=1000 16 4096\n", "AcSeg"},
    };
    for (const Case& c : cases) {
        const FactsLoad load = LoadInstrumentFacts(box.write("X1.ini", c.text));
        if (*c.error)
            EXPECT_NE(load.error.find(c.error), std::string::npos) << c.text << load.error;
        else
            EXPECT_EQ(load.error, "") << c.text;
    }
    EXPECT_NE(LoadInstrumentFacts(box.root() + "/none.ini").error, "");
    EXPECT_EQ(InstrumentModels(TW_SOURCE_DIR "/data/instrument"),
              (std::vector<std::string>{"TW2014", "TW3256"}));
}

TEST(HostApp, ExchangeFileNamesTheInstrumentKeepsTheComposersWorkAndCarriesTheirCodes) {
    test::Sandbox box(0, false);
    const HostExchange exchange(box.root(), box.prompts, "Tidewright Host");
    InstrumentFacts facts = LoadInstrumentFacts(TW_SOURCE_DIR "/data/instrument/TW2014.ini").facts;
    ASSERT_EQ(exchange.write(facts, "Tidewright Host - X", {1, 7}), "");
    auto get = [&](const char* section, const char* key) {
        return box.get(exchange.path(), section, key);
    };
    EXPECT_EQ(get("Instrument", "DescrFile"), facts.descrFile);
    EXPECT_EQ(get("Instrument", "Model"), "TW2014");
    EXPECT_EQ(get("Settings", "AcSeg"), "1 7");
    EXPECT_EQ(get("Settings", "Sclk"), "100e6 100e6");
    EXPECT_EQ(get("AppTits", "AC"), "Tidewright Host - X");
    profile::WriteValue(exchange.path(), "PulseRoot-ch1", "qPls", "2");
    ASSERT_EQ(exchange.write(facts, "Tidewright Host - X", {0, 3}), "");
    EXPECT_EQ(get("Settings", "AcSeg"), "3 7");
    EXPECT_EQ(get("PulseRoot-ch1", "qPls"), "2");
    facts.model = "TW3256"; // another instrument: the other's train and tables go
    ASSERT_EQ(exchange.write(facts, "Tidewright Host - X", {0, 3}), "");
    EXPECT_EQ(get("PulseRoot-ch1", "qPls"), "<absent>");
    EXPECT_EQ(get("Settings", "AcSeg"), "3 1");

    struct ListCase {
        const char* stored;
        int channels;
        ChannelSegment active;
        const char* list;
    } lists[] = {{"", 2, {0, 5}, "5 1 "},
                 {"4 x 9", 3, {2, 2}, "4 1 2 "},
                 {"4 8 9", 2, {0, 1}, "1 8 "},
                 {"4", 1, {5, 2}, "4 "}};
    for (const ListCase& c : lists)
        EXPECT_EQ(ActiveSegmentList(c.stored, c.channels, c.active), c.list) << c.stored;

    // Titles the composers would read back changed are not used.
    for (const char* title : {"", " Host", "Host ", "\"Host\"", "Ho//st", "noo", "A\nB"})
        EXPECT_FALSE(TitleSurvivesProfileRead(title)) << title;
    EXPECT_TRUE(TitleSurvivesProfileRead("//Host \"1\""));
    EXPECT_FALSE(TitleSurvivesProfileRead(std::string(258, 'x')));

    EXPECT_EQ(ComposerKindOf(1).closeEvent, 10);
    EXPECT_EQ(ComposerKindOf(2).titleKey, std::string("PLS"));
    EXPECT_EQ(ComposerOfClosedNotice(12), 1);
    EXPECT_EQ(ComposerOfClosedNotice(18), -1);
    EXPECT_EQ(MoveEventData(-10, 20), (20L << 16) | 0xFFF6L);
}

// An instrument that answers each query with the next scripted answer.
struct ScriptedTransport : Transport {
    std::deque<std::string> script;
    std::string message, answers;
    bool failWrites = false;
    Status write(std::span<const char> bytes, bool end) override {
        if (failWrites)
            return Status::Failed("broken pipe");
        message.append(bytes.data(), bytes.size());
        if (end) {
            if (message.ends_with("?\n") && !script.empty()) {
                answers += script.front() + "\n";
                script.pop_front();
            }
            message.clear();
        }
        return {};
    }
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int) override {
        got = std::min(buffer.size(), answers.size());
        if (got == 0)
            return Status::Failed("time-out");
        std::copy_n(answers.data(), got, buffer.data());
        answers.erase(0, got);
        end = false;
        return {};
    }
    void reset() override {}
    std::string name() const override { return "scripted"; }
};

// The log keeps what the instrument was sent and answered, each line of a message under its
// kind, and saves it as shown.
TEST(HostApp, LoggedTransportLogsCommandsBlocksAndAnswersButNotTheSessionsOwnQueries) {
    test::Sandbox box(0, false);
    HostLog log;
    log.add(HostLog::Kind::Message, "Cmd=:A\nWav=/w\n");
    auto scripted = std::make_unique<ScriptedTransport>();
    ScriptedTransport& inner = *scripted;
    const std::string none = "0,\"No error\"";
    inner.script = {
        "Tidewell,TW2014", none, none, none, "1", "-222,\"Data out of range\"", none, "1"};
    InstrumentProfile profile;
    InstrumentSession session(std::make_unique<LoggedTransport>(std::move(scripted), log), profile);
    std::string idn;
    EXPECT_TRUE(session.query("*IDN?", idn).ok());
    const char points[6] = {1, 2, 3, 4, 5, 6};
    const Outcome sent = session.sendWave(BlockSource::Memory(points), 2, 0);
    ASSERT_EQ(sent.errors.size(), 1u) << sent.message();
    inner.failWrites = true;
    EXPECT_FALSE(session.write(":OUTP ON").ok());
    const std::string path = box.root() + "/host.log";
    ASSERT_TRUE(log.save(path));
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(TW_TEST_DATA_DIR "/hostapp/host.log"));
    EXPECT_FALSE(log.save(box.root() + "/no/such/folder/host.log"));

    BlockHead head;
    EXPECT_TRUE(ParseBlockHead(":FM:DATA #3120\x01\x02", head));
    EXPECT_EQ(head.text, ":FM:DATA #3120");
    EXPECT_EQ(head.bytes, 120u);
    for (const char* no : {":TRAC:DATA #", ":TRAC:DATA #0", ":TRAC:DATA #312", "A #2x1"})
        EXPECT_FALSE(ParseBlockHead(no, head)) << no;
}

TEST(HostApp, FilesOnlyKeepsEachMessageWithCopiesAndNeverReplacesAFile) {
    test::Sandbox box(0, false);
    const std::string folder = box.root() + "/kept";
    CreateFolder(folder);
    const std::string wave = box.write("TemS1.wa0", "abcd");
    const std::string seg = box.write("Seg-1.wav", "efgh");
    const std::string exchange =
        box.write("x.ondex", "[PulsSeq]\nStp1=" + seg + "\nRpt1=3\nStp2=" + seg + "\nRpt2=1\n");
    box.write("kept/0007-old.txt", "mine");
    KeptMessage first = KeepMessage("Cmd=:TRAC:DEF 1,2;:TRAC:SEL 1\nWav=" + wave, exchange, folder);
    ASSERT_EQ(first.error, "");
    ASSERT_EQ(first.files.size(), 2u);
    EXPECT_EQ(ReadWholeFile(folder + "/0008-TemS1.wa0"), "abcd");
    EXPECT_EQ(ReadWholeFile(folder + "/0008-message.txt"),
              "Cmd=:TRAC:DEF 1,2;:TRAC:SEL 1\nWav=" + folder + "/0008-TemS1.wa0\n");
    KeptMessage second = KeepMessage("PLS_SEQ=", exchange, folder);
    ASSERT_EQ(second.error, "");
    EXPECT_EQ(second.files.size(), 2u); // the segment once, and the message
    EXPECT_EQ(ReadWholeFile(folder + "/0007-old.txt"), "mine");
    EXPECT_NE(ReadWholeFile(folder + "/0009-message.txt").value_or("").find("repeated 3"),
              std::string::npos);
    // A file that cannot be read keeps nothing of the message.
    KeptMessage failed = KeepMessage("Wav=" + box.root() + "/gone.wav", exchange, folder);
    EXPECT_NE(failed.error.find("gone.wav"), std::string::npos);
    EXPECT_EQ(NextKeptNumber(folder), 10);
}

} // namespace
} // namespace tw
