#include "SimProcess.h"

#include "instrument/Vxi11Protocol.h"
#include "instrument/Vxi11Transport.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include <arpa/inet.h>
#include <poll.h>

namespace tw {
namespace {

using test::Ask;
using test::Points;
using test::ReadBack;

struct Piece {
    std::uint64_t bytes;
    bool end;
};

// The simulator's log of device_write calls.
std::vector<Piece> LoggedPieces(const std::string& path) {
    std::vector<Piece> pieces;
    std::ifstream in(path);
    std::string call, end;
    for (std::uint64_t bytes; in >> call >> bytes >> end;)
        pieces.push_back({bytes, end == "END"});
    return pieces;
}

InstrumentSession Vxi11Session(int port, int portmapperPort = 111, std::string device = "inst0") {
    auto transport =
        std::make_unique<Vxi11Transport>("127.0.0.1", port, std::move(device), portmapperPort);
    transport->timeouts.readMs = 5000;
    return InstrumentSession(std::move(transport), {});
}

class Vxi11TransportTest : public ::testing::Test {
  protected:
    test::Sandbox folder{0, false};
};

// A block of more than vxi11::kMostWritePiece bytes, so that our own cap is reached too.
TEST_F(Vxi11TransportTest, PiecesNeverExceedMaxRecvSizeAndOnlyTheLastCarriesEnd) {
    const std::size_t points = 600'000;
    const std::string bytes = Points(points);
    const std::string file = folder.write("w.wav", bytes);
    for (std::uint64_t announced : {1024ull, 4096ull, 0xFFFFFFFFull}) {
        SCOPED_TRACE(announced);
        const std::string log = folder.root() + "/log" + std::to_string(announced);
        test::SimProcess sim({"--instrument", test::LooseDescription(folder, 1'000'000),
                              "--vxi11-port", "0", "--vxi11-max-recv", std::to_string(announced),
                              "--vxi11-log", log});
        InstrumentSession session = Vxi11Session(sim.vxi11Port());
        Outcome o = session.sendWave(BlockSource::Files({file}), 1, 1);
        ASSERT_TRUE(o.ok()) << o.message();
        const std::uint64_t most = std::min<std::uint64_t>(announced, vxi11::kMostWritePiece);
        EXPECT_EQ(static_cast<Vxi11Transport&>(session.transport()).maxRecvSize(), announced);

        // Messages run from one END to the next; the block's is the longest.
        std::uint64_t message = 0, longest = 0, fullPieces = 0, piecesInLongest = 0, pieces = 0;
        for (const Piece& p : LoggedPieces(log)) {
            EXPECT_LE(p.bytes, most);
            fullPieces += p.bytes == most;
            message += p.bytes;
            ++pieces;
            if (p.end) {
                if (message > longest)
                    longest = message, piecesInLongest = pieces;
                message = pieces = 0;
            }
        }
        EXPECT_EQ(message, 0u) << "the last message has no END";
        const std::string header = ":TRAC:DATA " + BlockHeader(bytes.size()) + "\n";
        EXPECT_EQ(longest, bytes.size() + header.size());
        EXPECT_GE(piecesInLongest, bytes.size() / most) << "END before the block's last piece";
        EXPECT_GT(fullPieces, 0u) << "pieces smaller than the link takes";
        EXPECT_TRUE(ReadBack(session, ":TRAC:DATA?") == bytes);
    }
}

TEST_F(Vxi11TransportTest, StalledServerOrPortmapperEndsInABoundedTimeOut) {
    test::StalledListener stalled;
    for (bool viaPortmapper : {false, true}) {
        auto transport =
            viaPortmapper ? std::make_unique<Vxi11Transport>("127.0.0.1", 0, "inst0", stalled.port)
                          : std::make_unique<Vxi11Transport>("127.0.0.1", stalled.port, "inst0");
        transport->timeouts = {1000, 300, 300};
        InstrumentSession session(std::move(transport), {});
        const auto start = std::chrono::steady_clock::now();
        std::string answer;
        Outcome o = session.query("*IDN?", answer);
        EXPECT_NE(o.failure.find(viaPortmapper
                                     ? "the portmapper: no answer to GETPORT within 300 ms"
                                     : "no answer to create_link within 300 ms"),
                  std::string::npos)
            << o.failure;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

// The instrument gone mid-block is an error, not the end of the program by SIGPIPE, and the
// next transfer links again.
TEST_F(Vxi11TransportTest, KilledInstrumentIsReportedAndTheNextTransferLinksAgain) {
    const std::string bytes = Points(4 << 20);
    const std::string file = folder.write("big.wav", bytes);
    auto sim = std::make_unique<test::SimProcess>(std::vector<std::string>{"--vxi11-port", "0"});
    const int port = sim->vxi11Port();
    InstrumentSession session = Vxi11Session(port);
    Outcome killed =
        session.sendWave(BlockSource::Files({file}), 1, 0, [&](std::uint64_t sent, std::uint64_t) {
            if (sent >= (2u << 20))
                sim.reset();
            return true;
        });
    EXPECT_NE(killed.failure.find("device_write failed"), std::string::npos) << killed.message();
    sim = std::make_unique<test::SimProcess>(
        std::vector<std::string>{"--vxi11-port", std::to_string(port)});
    Outcome again = session.sendWave(BlockSource::Files({file}), 1, 0);
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_TRUE(ReadBack(session, ":TRAC:DATA?") == bytes);
}

// Raw bytes on the simulator's VXI-11 port; true when it closed the connection.
bool DroppedAfter(int port, const std::string& bytes) {
    std::string why;
    const int fd = ConnectTcp("127.0.0.1", port, 1000, why);
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN)
            break; // dropped while sending
        at += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
        WaitFor(fd, POLLOUT, 1000);
    }
    char c;
    const bool closed = WaitFor(fd, POLLIN, 3000) && ::recv(fd, &c, 1, 0) <= 0;
    ::close(fd);
    return closed;
}

TEST_F(Vxi11TransportTest,
       SimulatorDropsHostileClientsAndServesOthersThroughThePortmapperOrByResource) {
    test::SimProcess sim({"--vxi11-port", "0"});
    auto mark = [](std::uint32_t m) {
        m = htonl(m);
        return std::string(reinterpret_cast<const char*>(&m), 4);
    };
    for (const std::string& hostile :
         {mark(0x80000000u | 0x7FFFFFF0u),                // a 2 GB record
          mark(0x00100000u) + std::string(1 << 20, 'x') + // fragments past the record bound
              mark(0x00F00000u) + std::string(15 << 20, 'x') + mark(0x80100000u),
          mark(0x80000008u) + std::string("\0\0\0\1\0\0\0\1", 8)}) // a reply, not a call
        EXPECT_TRUE(DroppedAfter(sim.vxi11Port(), hostile));

    // The rest are served, at the simulator's port through the portmapper or by resource.
    const std::string idn = "Tidewell,TW2014,SIM-0001,4.3";
    // The simulator answers GETPORT for its own core channel, so it stands in as the portmapper.
    InstrumentSession mapped = Vxi11Session(0, sim.vxi11Port());
    EXPECT_EQ(Ask(mapped, "*IDN?"), idn);
    const std::string resource = "vxi11://127.0.0.1:" + std::to_string(sim.vxi11Port()) + "/inst0";
    SessionOpen opened = OpenInstrumentSession(resource, "", "", {}, false);
    ASSERT_TRUE(opened.session) << opened.error;
    EXPECT_EQ(Ask(*opened.session, "*IDN?"), idn);
    // Both links see one instrument.
    ASSERT_TRUE(mapped.write(":TRAC:DEF 3,640").ok());
    EXPECT_EQ(Ask(*opened.session, ":TRAC:DEF? 3"), "640");

    InstrumentSession wrongDevice = Vxi11Session(sim.vxi11Port(), 111, "gpib0,5");
    std::string answer;
    EXPECT_NE(wrongDevice.query("*IDN?", answer)
                  .failure.find("create_link for device \"gpib0,5\" refused with error 5"),
              std::string::npos);
}

} // namespace
} // namespace tw
