#include "instrument/SimulatorLaunch.h"

#include "instrument/DescriptorTransport.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw {

namespace {

constexpr int kStopMs = 3000;

// A line of at most 200 characters from fd, within timeoutMs; false on time-out or end.
bool ReadLine(int fd, std::string& line, int timeoutMs) {
    line.clear();
    for (char c; line.size() < 200;) {
        if (!WaitFor(fd, POLLIN, timeoutMs) || ::read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        line += c;
    }
    return false;
}

// The port at the end of "<prefix>host:port"; 0 when the line is not that.
int PortAfter(const std::string& line, const std::string& prefix) {
    if (!line.starts_with(prefix) || line.find_first_of(" \t", prefix.size()) != std::string::npos)
        return 0;
    const auto colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

} // namespace

SimulatorLaunch::SimulatorLaunch(SimulatorLaunch&& other) noexcept {
    *this = std::move(other);
}

SimulatorLaunch& SimulatorLaunch::operator=(SimulatorLaunch&& other) noexcept {
    if (this != &other) {
        StopSimulator(*this);
        pid = std::exchange(other.pid, -1);
        port = other.port;
        vxi11Port = other.vxi11Port;
        address = std::move(other.address);
        error = std::move(other.error);
    }
    return *this;
}

SimulatorLaunch::~SimulatorLaunch() {
    StopSimulator(*this);
}

bool SimulatorLaunch::running() {
    if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == pid)
        pid = -1;
    return pid > 0;
}

SimulatorLaunch LaunchSimulator(const std::string& program,
                                const std::vector<std::string>& arguments, int timeoutMs) {
    SimulatorLaunch launch;
    // A program named by its path is checked first, so that the user learns why it cannot start.
    if (program.find('/') != std::string::npos && ::access(program.c_str(), X_OK) != 0) {
        launch.error = "Cannot start " + program + "\n" + std::strerror(errno);
        return launch;
    }
    int out[2];
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing < 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        launch.error = "Cannot start " + program + "\n" + std::strerror(errno);
        if (nothing >= 0)
            ::close(nothing);
        return launch;
    }
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    launch.pid = ::fork();
    if (launch.pid == 0) {
        ::dup2(nothing, 0); // it never reads its standard input; the terminal stays its owner's
        ::dup2(out[1], 1);
        ::execvp(argv[0], argv.data()); // a bare name is looked up on the PATH
        ::_exit(127);
    }
    ::close(nothing);
    ::close(out[1]);
    std::string line;
    if (launch.pid > 0 && ReadLine(out[0], line, timeoutMs))
        launch.port = PortAfter(line, "listening on ");
    if (launch.port)
        launch.address = line.substr(std::string_view("listening on ").size());
    const bool vxi11 = std::find(args.begin(), args.end(), "--vxi11-port") != args.end();
    if (launch.port && vxi11 && ReadLine(out[0], line, timeoutMs))
        launch.vxi11Port = PortAfter(line, "vxi11 listening on ");
    ::close(out[0]);
    if (launch.pid < 0 || !launch.port || (vxi11 && !launch.vxi11Port)) {
        launch.error = program + " did not start: its first lines were not \"listening on\"" +
                       (line.empty() ? "" : " (\"" + line + "\")");
        StopSimulator(launch, true);
    }
    return launch;
}

void StopSimulator(SimulatorLaunch& launch, bool hard) {
    if (launch.pid > 0) {
        ::kill(launch.pid, hard ? SIGKILL : SIGTERM);
        // One that does not end on SIGTERM within a few seconds is killed.
        bool gone = false;
        for (int waited = 0; !hard && !gone && waited < kStopMs; waited += 10)
            if (!(gone = ::waitpid(launch.pid, nullptr, WNOHANG) != 0))
                ::usleep(10000);
        if (!gone) {
            ::kill(launch.pid, SIGKILL);
            ::waitpid(launch.pid, nullptr, 0);
        }
    }
    launch.pid = -1;
}

} // namespace tw
