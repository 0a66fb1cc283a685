#pragma once
#include "instrument/InstrumentSession.h"
#include "instrument/SimulatorLaunch.h"
#include "instrument/SocketTransport.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tw::test {

// tidewright-awg-sim on loopback for one test: started, its ports read from its first lines, and
// killed at the end.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> extra = {}, int port = 0) { start(extra, port); }
    ~SimProcess() { kill(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void start(std::vector<std::string> extra, int port) {
        extra_ = extra;
        std::vector<std::string> args{"--listen", "127.0.0.1:" + std::to_string(port)};
        args.insert(args.end(), extra.begin(), extra.end());
        launch_ = LaunchSimulator(TW_AWG_SIM_PROGRAM, args);
        ASSERT_EQ(launch_.error, "");
    }
    void kill() { StopSimulator(launch_, true); }
    // Started again on the same port, as after a power cycle.
    void restart() {
        kill();
        start(extra_, launch_.port);
    }
    int port() const { return launch_.port; }
    int vxi11Port() const { return launch_.vxi11Port; }
    std::string resource() const { return "tcp://127.0.0.1:" + std::to_string(port()); }

  private:
    SimulatorLaunch launch_;
    std::vector<std::string> extra_;
};

// A session on the simulator with a profile of no length rules.
inline InstrumentSession Connect(const SimProcess& sim, InstrumentProfile profile = {},
                                 int readMs = 5000) {
    auto transport = std::make_unique<SocketTransport>("127.0.0.1", sim.port());
    transport->timeouts.readMs = readMs;
    return InstrumentSession(std::move(transport), std::move(profile));
}

// A loopback listener that takes connections (the kernel does) and never reads or answers.
struct StalledListener {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    StalledListener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), size), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
    }
    ~StalledListener() { ::close(fd); }
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;
};

// n 16-bit points that differ from each other and from any shifted copy: 0, 7, 14, ...
inline std::string Points(std::size_t n, int salt = 0) {
    std::string bytes(n * 2, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint16_t>(i * 7 + static_cast<std::size_t>(salt) * 13);
        bytes[2 * i] = static_cast<char>(v & 0xff);
        bytes[2 * i + 1] = static_cast<char>(v >> 8);
    }
    return bytes;
}

// A description for the simulator with loose length rules: any length from 1 to `longest`.
inline std::string LooseDescription(const Sandbox& folder, long longest) {
    return folder.write("LOOSE.ini", "[Axis]\nHRange=1000 1 " + std::to_string(longest) +
                                         "\nresFactor=1\n[ParmLst]\nAcSeg=Segment Number 1 64\n"
                                         "Sclk=SCLK 100e6 10 250e6\nAmpl=Amplitude Vpp 0.05 10\n"
                                         "[SegmTbl]\nMaxSequStp=16\nMaxLoopNo=1000000\n");
}

// The payload of a read-back query.
inline std::string ReadBack(InstrumentSession& session, const std::string& query) {
    std::string bytes;
    Outcome o = session.queryBlock(
        query, [&](std::span<const char> piece) { bytes.append(piece.data(), piece.size()); });
    EXPECT_TRUE(o.ok()) << o.message();
    return bytes;
}

inline std::string Ask(InstrumentSession& session, const std::string& query) {
    std::string answer;
    Outcome o = session.query(query, answer);
    EXPECT_TRUE(o.ok()) << o.message();
    return answer;
}

} // namespace tw::test
