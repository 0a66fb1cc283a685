#include "SimProcess.h"

#include <array>
#include <cstdio>

namespace tw {
namespace {

struct CliRun {
    int code = -1;
    std::string out; // standard output and error together
};

CliRun Cli(const std::string& args) {
    CliRun run;
    FILE* p = ::popen((std::string(TW_CLI_PROGRAM) + " " + args + " 2>&1").c_str(), "r");
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), p))
        run.out.append(buffer.data(), n);
    const int status = ::pclose(p);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(InstrumentCli, SendAndQueryExitCodesTellDoneInstrumentErrorAndUsage) {
    test::Sandbox folder{0, false};
    test::SimProcess sim;
    const std::string r = sim.resource();
    const std::string wave = folder.write("w.wav", test::Points(1000));

    EXPECT_EQ(Cli("send " + r + " " + wave + " --segment 4 --channel 2").code, 0);
    CliRun catalog = Cli("query " + r + " :TRAC:CAT?");
    EXPECT_EQ(catalog.code, 0);
    EXPECT_EQ(catalog.out, "4,1000\n"); // channel 2 stays selected
    // The simulated TW2014 refuses a segment longer than 16,777,216 points.
    CliRun refused = Cli("query " + r + " ':TRAC:DEF 1,16777220'");
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "tidewright-cli: instrument error -222, \"Data out of range;segment "
                           "length 16777220 is outside 16 to 16777216\" after :TRAC:DEF "
                           "1,16777220\n");
    CliRun rule = Cli("send " + r + " " + folder.write("short.wav", test::Points(10)));
    EXPECT_EQ(rule.code, 1);
    EXPECT_NE(rule.out.find("MinPoints is 16"), std::string::npos) << rule.out;
    EXPECT_EQ(Cli("send " + r + " " + wave + " --instrument TW3256").code, 1); // *IDN? differs
    sim.kill();
    CliRun gone = Cli("query " + r + " '*IDN?'");
    EXPECT_EQ(gone.code, 1);
    EXPECT_NE(gone.out.find("cannot connect"), std::string::npos) << gone.out;

    for (const char* usage : {"send tcp://127.0.0.1", "send ftp://x w.wav", "query",
                              "send tcp://127.0.0.1 w.wav --segment 0"})
        EXPECT_EQ(Cli(usage).code, 2) << usage;
}

} // namespace
} // namespace tw
