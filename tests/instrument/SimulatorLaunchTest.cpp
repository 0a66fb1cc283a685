#include "instrument/SimulatorLaunch.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

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
