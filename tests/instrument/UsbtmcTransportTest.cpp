#include "SimProcess.h"

#include "instrument/UsbtmcTransport.h"

#include <cstdlib>

#include <fcntl.h>
#include <termios.h>

namespace tw {
namespace {

// A pseudo-terminal in raw mode stands in for /dev/usbtmcN: the transport opens the terminal's
// device file, and this side plays the instrument. Writes and reads past the device are the
// sockets' (DescriptorTransport), which the simulator tests drive.
class FakeUsbtmc {
  public:
    FakeUsbtmc() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
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
        ::close(slave_);
        ::close(master_);
    }
    const std::string& device() const { return device_; }
    void answer(const std::string& lines) { (void)!::write(master_, lines.data(), lines.size()); }
    std::string received() const {
        char buffer[256];
        std::string in;
        for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;)
            in.append(buffer, static_cast<std::size_t>(n));
        return in;
    }

  private:
    int master_ = -1, slave_ = -1;
    std::string device_;
};

TEST(UsbtmcTransport, CommandsAndAnswersPassThroughTheDeviceFile) {
    FakeUsbtmc device;
    device.answer("Tidewell,TW2014,SIM-0001,4.3\n0,\"No error\"\n");
    std::string error;
    auto transport = OpenTransport(*ParseResource("usbtmc://" + device.device()).resource, error);
    ASSERT_TRUE(transport) << error;
    InstrumentSession session(std::move(transport), {});
    EXPECT_EQ(test::Ask(session, "*IDN?"), "Tidewell,TW2014,SIM-0001,4.3");
    EXPECT_EQ(device.received(), "*IDN?\nSYST:ERR?\n");

    InstrumentSession missing(std::make_unique<UsbtmcTransport>("/nonexistent/usbtmc0"), {});
    std::string answer;
    const Outcome o = missing.query("*IDN?", answer);
    EXPECT_NE(o.failure.find("cannot open the device"), std::string::npos) << o.failure;
}

} // namespace
} // namespace tw
