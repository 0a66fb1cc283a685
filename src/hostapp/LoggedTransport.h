#pragma once
#include "hostapp/HostLog.h"
#include "instrument/InstrumentSession.h"

#include <memory>
#include <string>

namespace tw {

// A transport that writes to the host's log what passes through it: each command, each block as
// its command, header and size, and each answer. The session's own bookkeeping (SYST:ERR? and
// *OPC? with their answers) stays out; the errors it finds are logged by the caller.
class LoggedTransport : public Transport {
  public:
    LoggedTransport(std::unique_ptr<Transport> inner, HostLog& log);

    Status write(std::span<const char> bytes, bool end) override;
    Status read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) override;
    void reset() override;
    std::string name() const override { return inner_->name(); }

  private:
    void finishMessage(const char* ending);

    std::unique_ptr<Transport> inner_;
    HostLog& log_;
    std::string head_;         // the first bytes of the message being written
    std::uint64_t bytes_ = 0;  // of the message being written
    bool quietAnswer_ = false; // the last query was the session's own
    std::string answer_;
};

// "cmd #<n><length>..." of a block message: the command and header, and the payload's length.
struct BlockHead {
    std::string text; // "cmd #<n><length>"
    std::uint64_t bytes = 0;
};
bool ParseBlockHead(std::string_view head, BlockHead& out);

// A session for the host: the model's profile, the instrument's *IDN? checked against it, and
// everything sent and received logged. The *IDN? answer is given back.
struct LoggedSessionOpen {
    std::unique_ptr<InstrumentSession> session;
    std::string identity;
    std::string error;
};
LoggedSessionOpen OpenLoggedSession(const std::string& resource, const std::string& profileFolder,
                                    const std::string& model, HostLog& log);

// Why the host cannot send to `model`: it has no profile in `folder` (the commands it needs);
// "" when it has one.
std::string MissingProfileNote(const std::string& folder, const std::string& model);

} // namespace tw
