#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace tw {

// A running tidewright-awg-sim: its process and the loopback ports it listens on. It is stopped
// when this goes (SIGTERM), so its owner never leaves one behind.
struct SimulatorLaunch {
    pid_t pid = -1;
    int port = 0;        // raw SCPI
    int vxi11Port = 0;   // 0 unless --vxi11-port was given
    std::string address; // the raw SCPI address as printed: "127.0.0.1:40123"
    std::string error;   // why it did not start; the process is gone then

    SimulatorLaunch() = default;
    SimulatorLaunch(SimulatorLaunch&& other) noexcept;
    SimulatorLaunch& operator=(SimulatorLaunch&& other) noexcept;
    ~SimulatorLaunch();

    // Still running (a simulator that ended by itself is reaped here).
    bool running();
    // "tcp://127.0.0.1:40123": what a session opens to reach it.
    std::string resource() const { return address.empty() ? "" : "tcp://" + address; }
};

// Starts the simulator program with `arguments` (among them --listen) and reads the ports from
// the lines it prints first ("listening on 127.0.0.1:<port>", then "vxi11 listening on ..."
// when it serves VXI-11), waiting at most timeoutMs for them.
SimulatorLaunch LaunchSimulator(const std::string& program,
                                const std::vector<std::string>& arguments, int timeoutMs = 10000);

// Ends a launched simulator (SIGTERM, or SIGKILL when `hard`) and waits for it.
void StopSimulator(SimulatorLaunch& launch, bool hard = false);

} // namespace tw
