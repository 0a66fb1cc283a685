#include "instrument/SimulatorLaunch.h"

#include "instrument/DescriptorTransport.h"

#include <algorithm>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw {

namespace {

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
    if (!line.starts_with(prefix))
        return 0;
    const auto colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

} // namespace

SimulatorLaunch LaunchSimulator(const std::string& program,
                                const std::vector<std::string>& arguments, int timeoutMs) {
    SimulatorLaunch launch;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        launch.error = std::string("cannot start ") + program + ": " + std::strerror(errno);
        return launch;
    }
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    launch.pid = ::fork();
    if (launch.pid == 0) {
        ::dup2(out[1], 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    if (launch.pid > 0 && ReadLine(out[0], line, timeoutMs))
        launch.port = PortAfter(line, "listening on ");
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
        ::waitpid(launch.pid, nullptr, 0);
    }
    launch.pid = -1;
}

} // namespace tw
