#include "instrument/SimulatorLaunch.h"

#include <gtest/gtest.h>

#include <csignal>

#include <unistd.h>

namespace tw {
namespace {

bool Alive(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

TEST(SimulatorLaunch, FindsItsPortAndStopsWithItsOwner) {
    pid_t pid = -1;
    {
        SimulatorLaunch sim = LaunchSimulator(TW_AWG_SIM_PROGRAM, {"--listen", "127.0.0.1:0"});
        ASSERT_EQ(sim.error, "");
        EXPECT_EQ(sim.resource(), "tcp://127.0.0.1:" + std::to_string(sim.port));
        EXPECT_TRUE(sim.running());
        pid = sim.pid;
        SimulatorLaunch moved = std::move(sim); // one owner at a time: the move does not stop it
        EXPECT_TRUE(moved.running());
        EXPECT_FALSE(sim.running());
    }
    EXPECT_FALSE(Alive(pid)); // reaped, not left a zombie

    SimulatorLaunch ended = LaunchSimulator(TW_AWG_SIM_PROGRAM, {"--listen", "127.0.0.1:0"});
    ::kill(ended.pid, SIGKILL);
    for (int i = 0; i < 500 && ended.running(); ++i)
        ::usleep(10000);
    EXPECT_FALSE(ended.running()); // one that ended by itself is seen to have ended
}

TEST(SimulatorLaunch, SaysWhyItCannotStart) {
    const struct {
        std::string program;
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {"/nonexistent/tidewright-awg-sim",
         {"--listen", "127.0.0.1:0"},
         "Cannot start /nonexistent/tidewright-awg-sim\nNo such file or directory"},
        {TW_AWG_SIM_PROGRAM,
         {"--listen", "127.0.0.1:0", "--instrument", "NOSUCH"},
         "did not start"},
    };
    for (const auto& c : cases) {
        SimulatorLaunch sim = LaunchSimulator(c.program, c.arguments);
        EXPECT_NE(sim.error.find(c.message), std::string::npos) << sim.error;
        EXPECT_FALSE(sim.running());
    }
}

} // namespace
} // namespace tw
