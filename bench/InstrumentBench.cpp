// Sends one segment of 268,435,456 points (TW3256's longest) from a file to tidewright-awg-sim
// on loopback and prints its rate against a plain socket copy of the same file in the same run,
// and the sender's peak memory beyond the points. `--points N` sends fewer.
// Build: cmake --build build --target InstrumentBench tidewright-awg-sim
// Run:   build/bench/InstrumentBench [--points N]
#include "instrument/InstrumentSession.h"
#include "instrument/SimulatorLaunch.h"
#include "instrument/SocketTransport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long PeakKiB() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

// The points written piece by piece, so the file never sits in this process's memory.
std::string WritePoints(long points) {
    const std::string path =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tw-bench-seg.wav";
    std::ofstream out(path, std::ios::binary);
    std::vector<std::int16_t> piece(1 << 20);
    for (long at = 0; at < points; at += static_cast<long>(piece.size())) {
        const long n = std::min<long>(points - at, static_cast<long>(piece.size()));
        for (long i = 0; i < n; ++i)
            piece[i] = static_cast<std::int16_t>((at + i) * 7);
        out.write(reinterpret_cast<const char*>(piece.data()), n * 2);
    }
    return path;
}

// The yardstick: the same file copied to a socket whose other end, a child process, only reads.
double PlainCopySeconds(const std::string& path) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(listener, reinterpret_cast<sockaddr*>(&a), size);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
    const pid_t sink = ::fork();
    if (sink == 0) {
        const int fd = ::accept(listener, nullptr, nullptr);
        static char buffer[256 * 1024];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        ::_exit(0);
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), size);
    const auto start = Clock::now();
    const int file = ::open(path.c_str(), O_RDONLY);
    std::vector<char> piece(1 << 20);
    for (ssize_t n; (n = ::read(file, piece.data(), piece.size())) > 0;)
        for (ssize_t at = 0; at < n;) {
            const ssize_t sent = ::send(fd, piece.data() + at, static_cast<std::size_t>(n - at), 0);
            if (sent <= 0)
                break;
            at += sent;
        }
    ::close(file);
    ::shutdown(fd, SHUT_WR);
    ::waitpid(sink, nullptr, 0);
    const double seconds = Seconds(start);
    ::close(fd);
    ::close(listener);
    return seconds;
}

struct Sends {
    std::string idn;
    double firstSeconds = 0, secondSeconds = 0;
    long peakGrowthKiB = 0;
    bool equal = false;
    std::string problems;
};

// Two sends of the file to segment 1 of a simulator started with `extra` arguments, then the
// points read back and compared with the file piece by piece.
Sends SendTwice(const std::string& path, long points, std::vector<std::string> extra) {
    Sends r;
    std::vector<std::string> args{"--listen", "127.0.0.1:0", "--instrument", "TW3256"};
    args.insert(args.end(), extra.begin(), extra.end());
    tw::SimulatorLaunch sim = tw::LaunchSimulator(TW_AWG_SIM_PROGRAM, args, 60000);
    if (!sim.error.empty()) {
        r.problems = sim.error;
        return r;
    }
    auto transport = std::make_unique<tw::SocketTransport>("127.0.0.1", sim.port);
    tw::InstrumentSession session(std::move(transport), {}); // the simulator checks TW3256's rules
    session.query("*IDN?", r.idn);
    const long before = PeakKiB();
    auto start = Clock::now();
    tw::Outcome sent = session.sendWave(tw::BlockSource::Files({path}), 1, 1);
    r.firstSeconds = Seconds(start);
    start = Clock::now();
    if (sent.ok())
        sent = session.sendWave(tw::BlockSource::Files({path}), 1, 1);
    r.secondSeconds = Seconds(start);
    r.peakGrowthKiB = PeakKiB() - before;

    std::ifstream file(path, std::ios::binary);
    std::vector<char> expected;
    bool equal = sent.ok();
    std::uint64_t back = 0;
    tw::Outcome read = session.queryBlock(":TRAC:DATA?", [&](std::span<const char> piece) {
        expected.resize(piece.size());
        file.read(expected.data(), static_cast<std::streamsize>(piece.size()));
        equal = equal && std::memcmp(expected.data(), piece.data(), piece.size()) == 0;
        back += piece.size();
    });
    r.equal = equal && read.ok() && back == static_cast<std::uint64_t>(points) * 2;
    r.problems = sent.message() + read.message();
    tw::StopSimulator(sim);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    long points = 268'435'456;
    if (argc == 3 && std::string(argv[1]) == "--points")
        points = std::stol(argv[2]);
    const std::string path = WritePoints(points);
    const double megabytes = static_cast<double>(points) * 2 / 1e6;
    // As an instrument, the simulator holds its memory from the start; started without
    // --preallocate it maps each segment when it is defined, and the first send pays the page
    // faults of half a gigabyte of fresh memory.
    const Sends held = SendTwice(path, points, {"--preallocate"});
    const Sends fresh = SendTwice(path, points, {});
    const double plainSeconds = PlainCopySeconds(path);
    std::remove(path.c_str());
    double load[3] = {};
    ::getloadavg(load, 3);
    const bool equal = held.equal && fresh.equal;
    std::printf("instrument: %s\npoints: %ld (%.1f MB), read back equal: %s\n", held.idn.c_str(),
                points, megabytes,
                equal ? "yes" : ("NO: " + held.problems + fresh.problems).c_str());
    std::printf("plain socket copy: %.3f s, %.0f MB/s\n", plainSeconds, megabytes / plainSeconds);
    auto rate = [&](const char* what, double seconds) {
        std::printf("%s: %.3f s, %.0f MB/s, ratio to the plain copy %.2f\n", what, seconds,
                    megabytes / seconds, plainSeconds / seconds);
    };
    rate("first send (define, block, *OPC?, SYST:ERR?), simulator memory held (goal >= 0.8)",
         held.firstSeconds);
    rate("second send, simulator memory held", held.secondSeconds);
    rate("first send, simulator maps fresh memory at the define", fresh.firstSeconds);
    rate("second send, simulator mapped it before", fresh.secondSeconds);
    std::printf("sender peak memory beyond the points: %.1f MiB of growth during the sends, "
                "%.1f MiB peak resident in all (goal <= 64 MiB)\n",
                std::max(held.peakGrowthKiB, fresh.peakGrowthKiB) / 1024.0, PeakKiB() / 1024.0);
    std::printf("load average: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return equal ? 0 : 1;
}
