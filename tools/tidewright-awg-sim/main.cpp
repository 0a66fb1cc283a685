// tidewright-awg-sim: a simulated arbitrary waveform generator on loopback, for the tests, the
// benchmarks and a host program's default instrument.
#include "SegmentArena.h"
#include "SimInstrument.h"
#include "SimLimits.h"
#include "SimServer.h"

#include "instrument/InstrumentFolder.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: tidewright-awg-sim --listen 127.0.0.1:PORT [--vxi11-port N] [--instrument MODEL]\n"
    "                          [--npy FILE] [--preallocate]\n"
    "  --listen ADDRESS:PORT  a loopback address (127.x.x.x or [::1]); PORT 0 picks a free one\n"
    "  --vxi11-port N         also serve VXI-11 on the same address, port N (0 picks one)\n"
    "  --vxi11-max-recv N     the maxRecvSize VXI-11 links announce (1024 to 4294967295;\n"
    "                         1048576 by default)\n"
    "  --vxi11-log FILE       append one line per device_write to FILE: its size and END\n"
    "  --instrument MODEL     the sample instrument (TW2014, TW3256) or a description file\n"
    "  --npy FILE             write what the output would be to FILE at each OUTP ON\n"
    "  --preallocate          hold one channel's waveform memory from the start, written\n"
    "                         through, so that transfers meet no page faults\n";

int Usage(const std::string& error) {
    std::cerr << "tidewright-awg-sim: " << error << "\n" << kUsage;
    return 2;
}

// A socket listening on a loopback address only; -1 with `error` set otherwise.
int Listen(const std::string& text, std::string& shown, std::string& error) {
    const auto colon = text.rfind(':');
    int port = -1;
    if (colon == std::string::npos ||
        std::from_chars(text.data() + colon + 1, text.data() + text.size(), port).ptr !=
            text.data() + text.size() ||
        port < 0 || port > 65535) {
        error = "--listen needs ADDRESS:PORT";
        return -1;
    }
    std::string host = text.substr(0, colon);
    sockaddr_storage address{};
    socklen_t size = 0;
    int family = AF_INET;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&address);
        a6->sin6_family = family = AF_INET6;
        a6->sin6_port = htons(static_cast<uint16_t>(port));
        if (inet_pton(AF_INET6, host.c_str(), &a6->sin6_addr) != 1 ||
            !IN6_IS_ADDR_LOOPBACK(&a6->sin6_addr)) {
            error = "listens on loopback only, not " + text;
            return -1;
        }
        size = sizeof *a6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&address);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(static_cast<uint16_t>(port));
        if (inet_pton(AF_INET, host.c_str(), &a4->sin_addr) != 1 ||
            (ntohl(a4->sin_addr.s_addr) >> 24) != 127) {
            error = "listens on loopback only, not " + text;
            return -1;
        }
        size = sizeof *a4;
    }
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot listen on " + text + ": " + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int bound = family == AF_INET6
                          ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                          : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    shown = (family == AF_INET6 ? "[" + host + "]" : host) + ":" + std::to_string(bound);
    return fd;
}

} // namespace

int main(int argc, char** argv) {
    std::string listen, model = "TW2014", npy, vxi11Port, vxi11Log;
    tw::sim::Vxi11Settings vxi11;
    bool preallocate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a == "--preallocate") {
            preallocate = true;
            continue;
        }
        if (i + 1 >= argc)
            return Usage(a.starts_with("--") ? a + " needs a value" : "unknown argument " + a);
        if (a == "--listen")
            listen = argv[++i];
        else if (a == "--instrument")
            model = argv[++i];
        else if (a == "--npy")
            npy = argv[++i];
        else if (a == "--vxi11-port")
            vxi11Port = argv[++i];
        else if (a == "--vxi11-log")
            vxi11Log = argv[++i];
        else if (a == "--vxi11-max-recv") {
            const std::string v = argv[++i];
            unsigned long long n = 0;
            if (std::from_chars(v.data(), v.data() + v.size(), n).ptr != v.data() + v.size() ||
                n < 1024 || n > 0xFFFFFFFFull)
                return Usage("--vxi11-max-recv needs a number from 1024 to 4294967295");
            vxi11.maxRecvSize = static_cast<std::uint32_t>(n);
        } else
            return Usage("unknown argument " + a);
    }
    if (listen.empty())
        return Usage("--listen is required");
    const std::string description =
        model.ends_with(".ini") ? model : tw::DefaultInstrumentFolder() + "/" + model + ".ini";
    tw::sim::SimLimits limits;
    std::string error, shown;
    if (!tw::sim::ReadSimLimits(description, limits, error))
        return Usage(error);
    if (preallocate &&
        !tw::sim::SegmentArena::instance().reserve(static_cast<std::size_t>(limits.memory) * 2))
        return Usage("cannot hold " + std::to_string(limits.memory) + " points of memory");
    const int fd = Listen(listen, shown, error);
    if (fd < 0)
        return Usage(error);
    int vxi11Fd = -1;
    std::string vxi11Shown;
    if (!vxi11Port.empty()) {
        vxi11Fd = Listen(listen.substr(0, listen.rfind(':') + 1) + vxi11Port, vxi11Shown, error);
        if (vxi11Fd < 0)
            return Usage(error);
    }
    if (!vxi11Log.empty() && !(vxi11.log = std::fopen(vxi11Log.c_str(), "a")))
        return Usage("cannot write " + vxi11Log + ": " + std::strerror(errno));
    std::cout << "listening on " << shown << std::endl;
    if (vxi11Fd >= 0)
        std::cout << "vxi11 listening on " << vxi11Shown << std::endl;
    tw::sim::SimInstrument instrument(limits, npy);
    tw::sim::SimServer server(instrument, fd, vxi11Fd, vxi11);
    server.run();
    ::close(fd);
    if (vxi11Fd >= 0)
        ::close(vxi11Fd);
    if (vxi11.log)
        std::fclose(vxi11.log);
    return 0;
}
