#include "SimProcess.h"

#include "instrument/UsbtmcTransport.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>

namespace tw {
namespace {

// A pseudo-terminal in raw mode stands in for /dev/usbtmcN: the transport opens the terminal's
// device file and writes and reads bare SCPI bytes, and this side plays the instrument.
class FakeUsbtmc {
  public:
    FakeUsbtmc() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        device_ = ::ptsname(master_);
        // Raw and held open, so that no byte is translated and the master never sees a hang-up.
        slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    ~FakeUsbtmc() {
        finish();
        ::close(slave_);
        ::close(master_);
    }
    const std::string& device() const { return device_; }
    // Ends the instrument's thread, so that what it saw can be read.
    void finish() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    // Answers *OPC? and SYST:ERR?, keeps the payload of :TRAC:DATA blocks, and stays silent
    // when `silent`.
    void serve(bool silent) {
        thread_ = std::thread([this, silent] {
            std::string in;
            char buffer[65536];
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0)
                    continue;
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n <= 0)
                    continue;
                in.append(buffer, static_cast<std::size_t>(n));
                for (;;) {
                    if (const auto at = in.find(":TRAC:DATA #"); at == 0) {
                        const std::size_t digits = static_cast<std::size_t>(in[12] - '0');
                        if (in.size() < 13 + digits)
                            break;
                        const std::size_t length = std::stoul(in.substr(13, digits));
                        if (in.size() < 13 + digits + length + 1)
                            break;
                        payload = in.substr(13 + digits, length);
                        in.erase(0, 13 + digits + length + 1);
                        continue;
                    }
                    const auto end = in.find('\n');
                    if (end == std::string::npos)
                        break;
                    const std::string line = in.substr(0, end);
                    in.erase(0, end + 1);
                    commands.push_back(line);
                    const std::string answer = silent                ? ""
                                               : line == "*OPC?"     ? "1\n"
                                               : line == "SYST:ERR?" ? "0,\"No error\"\n"
                                                                     : "";
                    if (!answer.empty())
                        (void)!::write(master_, answer.data(), answer.size());
                }
            }
        });
    }

    std::vector<std::string> commands;
    std::string payload;

  private:
    int master_ = -1, slave_ = -1;
    std::string device_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

TEST(UsbtmcTransport, BlocksAndCommandsReachTheDeviceFileAndSilenceTimesOut) {
    const std::string points = test::Points(30000);
    FakeUsbtmc device;
    device.serve(false);
    std::string error;
    auto transport = OpenTransport(*ParseResource("usbtmc://" + device.device()).resource, error);
    ASSERT_TRUE(transport) << error;
    InstrumentSession session(std::move(transport), {});
    Outcome o = session.sendWave(BlockSource::Memory(points), 2, 1);
    ASSERT_TRUE(o.ok()) << o.message();
    device.finish();
    EXPECT_EQ(device.commands, (std::vector<std::string>{
                                   ":INST:SEL 1", "SYST:ERR?", ":TRAC:DEF 2,30000", "SYST:ERR?",
                                   ":TRAC:SEL 2", "SYST:ERR?", "*OPC?", "SYST:ERR?", "*OPC?"}));
    EXPECT_TRUE(device.payload == points);

    FakeUsbtmc quiet;
    quiet.serve(true);
    InstrumentSession silent(std::make_unique<UsbtmcTransport>(quiet.device()), {});
    silent.transport().timeouts.readMs = 200;
    std::string answer;
    Outcome asked = silent.query("*IDN?", answer);
    EXPECT_NE(asked.failure.find("no answer within 200 ms"), std::string::npos) << asked.failure;
}

} // namespace
} // namespace tw
