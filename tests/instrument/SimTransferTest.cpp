#include "SimProcess.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>

namespace tw {
namespace {

using test::Ask;
using test::Points;
using test::ReadBack;

class SimTransferTest : public ::testing::Test {
  protected:
    test::Sandbox folder{0, false};
};

// Memory held from the start (12,000,000 points) is carved into segments, and what a deleted one
// gave back serves the next: no segment may overlap another.
TEST_F(SimTransferTest, HeldMemoryServesSegmentsWithoutOverlap) {
    test::SimProcess sim(
        {"--instrument", test::LooseDescription(folder, 12'000'000), "--preallocate"});
    InstrumentSession session = test::Connect(sim);
    std::map<int, std::string> held;
    auto send = [&](int segment, std::size_t points) {
        held[segment] = Points(points, segment);
        const std::string file = folder.write("s" + std::to_string(segment), held[segment]);
        Outcome o = session.sendWave(BlockSource::Files({file}), segment, 1);
        ASSERT_TRUE(o.ok()) << segment << ": " << o.message();
    };
    send(1, 3'000'000);
    send(2, 5'000'000);
    send(3, 4'000'000);
    ASSERT_TRUE(session.write(":TRAC:DEL 2").ok());
    held.erase(2);
    send(4, 2'000'000); // into the hole segment 2 left
    send(5, 2'500'000); // the rest of the hole
    send(1, 1'200'000); // defined again, shorter
    for (const auto& [segment, bytes] : held) {
        ASSERT_TRUE(session.write(":TRAC:SEL " + std::to_string(segment)).ok());
        EXPECT_TRUE(ReadBack(session, ":TRAC:DATA?") == bytes) << "segment " << segment;
    }
}

// "What the output would be": in SEQ mode the sequence expanded, after a header of 64-byte lines.
TEST_F(SimTransferTest, OutputOnWritesTheSequenceExpandedAsNpy) {
    const std::string npy = folder.root() + "/out.npy";
    test::SimProcess sim({"--npy", npy});
    InstrumentSession session = test::Connect(sim);
    const std::string a = Points(400, 1), b = Points(384, 2);
    ASSERT_TRUE(session.sendWave(BlockSource::Files({folder.write("a", a)}), 1, 1).ok());
    ASSERT_TRUE(session.sendWave(BlockSource::Files({folder.write("b", b)}), 2, 1).ok());
    for (const char* command :
         {":SEQ:DEF 1,1,1", ":SEQ:DEF 2,2,3", ":SEQ:DEF 3,1,2", ":FUNC:MODE SEQ", ":OUTP ON"})
        ASSERT_TRUE(session.write(command).ok()) << command;
    const std::string expanded = a + b + b + b + a + a;
    std::ifstream in(npy, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(saved.size(), expanded.size());
    EXPECT_TRUE(saved.substr(saved.size() - expanded.size()) == expanded);
    EXPECT_EQ((saved.size() - expanded.size()) % 64, 0u);
}

TEST_F(SimTransferTest, InstrumentErrorsReachTheCallerWithNumberTextAndCommand) {
    test::SimProcess sim({"--instrument", test::LooseDescription(folder, 4096)});
    InstrumentSession session = test::Connect(sim);
    Outcome o =
        session.sendWave(BlockSource::Files({folder.write("long.wav", Points(4100))}), 2, 0);
    ASSERT_EQ(o.failure, "");
    ASSERT_EQ(o.errors.size(), 2u) << o.message();
    EXPECT_EQ(o.errors[0].code, -222);
    EXPECT_EQ(o.errors[0].text, "Data out of range;segment length 4100 is outside 1 to 4096");
    EXPECT_EQ(o.errors[0].command, ":TRAC:DEF 2,4100");
    EXPECT_EQ(o.errors[1].code, -221); // the block found no segment to fill
    EXPECT_EQ(o.errors[1].command, ":TRAC:DATA (4100 points)");
    // The session goes on, and the errors were all read.
    EXPECT_TRUE(session.write(":TRAC:DEF 2,4096").ok());
    EXPECT_EQ(Ask(session, "SYST:ERR?"), "0,\"No error\"");
}

TEST_F(SimTransferTest, StalledInstrumentEndsInABoundedTimeOut) {
    test::StalledListener stalled;
    const Timeouts quick{1000, 300, 300};
    auto transport = std::make_unique<SocketTransport>("127.0.0.1", stalled.port);
    transport->timeouts = quick;
    InstrumentSession session(std::move(transport), {});

    const auto start = std::chrono::steady_clock::now();
    std::string answer;
    Outcome asked = session.query("*IDN?", answer);
    EXPECT_NE(asked.failure.find("no answer within 300 ms"), std::string::npos) << asked.failure;
    SocketTransport writer("127.0.0.1", stalled.port);
    writer.timeouts = quick;
    const std::string big(64 << 20, '\0'); // more than the socket buffers take
    BlockWrite sent = WriteBlock(writer, ":TRAC:DATA", BlockSource::Memory(big), 2, false, {});
    EXPECT_NE(sent.status.error.find("the instrument took no data for 300 ms"), std::string::npos)
        << sent.status.error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(SimTransferTest, KilledOrCancelledTransferIsReportedAndTheNextOneWorks) {
    test::SimProcess sim;
    InstrumentSession session = test::Connect(sim);
    const std::string bytes = Points(8 << 20);
    const std::string file = folder.write("big.wav", bytes);

    Outcome killed =
        session.sendWave(BlockSource::Files({file}), 1, 0, [&](std::uint64_t sent, std::uint64_t) {
            if (sent >= (4u << 20))
                sim.kill();
            return true;
        });
    EXPECT_NE(killed.failure.find("connection"), std::string::npos) << killed.message();
    sim.restart();
    Outcome cancelled = session.sendWave(BlockSource::Files({file}), 1, 0,
                                         [](std::uint64_t sent, std::uint64_t total) {
                                             EXPECT_EQ(total, 16u << 20);
                                             return sent < (2u << 20);
                                         });
    EXPECT_TRUE(cancelled.cancelled);
    Outcome again = session.sendWave(BlockSource::Files({file}), 1, 0);
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_TRUE(ReadBack(session, ":TRAC:DATA?") == bytes);
}

TEST_F(SimTransferTest, GarbageDropsOnlyThatClientAndProfileRulesRefuseAWaveBeforeItIsSent) {
    test::SimProcess sim;
    for (const std::string& garbage : {std::string("\x01\x02\xff\n", 4), std::string(70000, 'A'),
                                       std::string(":TRAC:DATA #0\n")}) {
        InstrumentSession bad = test::Connect(sim);
        (void)bad.transport().write(garbage, true);
        char c;
        std::size_t got = 0;
        bool end = false;
        EXPECT_FALSE(bad.transport().read({&c, 1}, got, end, 2000)) << "not dropped";
    }

    // The others are served; a wave its profile's rules refuse goes out not even in part.
    InstrumentProfile p;
    p.model = "TW2014";
    p.minPoints = 16;
    p.granularity = 4;
    InstrumentSession session = test::Connect(sim, p);
    const std::string file = folder.write("w.wav", Points(18));
    Outcome o = session.execute("Cmd=:TRAC:DEF 1,18;:TRAC:SEL 1\nWav=" + file, "");
    EXPECT_EQ(o.failure,
              file + " has 18 points, not a multiple of the TW2014 profile's Granularity 4");
    EXPECT_EQ(Ask(session, ":TRAC:CAT?"), "0,0"); // not even the commands before it went out
}

} // namespace
} // namespace tw
