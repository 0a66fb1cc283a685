#include "instrument/Vxi11Transport.h"

#include "instrument/DescriptorTransport.h"
#include "instrument/SocketTransport.h"
#include "instrument/Vxi11Protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <netinet/in.h>
#include <rpc/pmap_prot.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tw {

namespace {

// libtirpc writes with write(2): a peer gone away would end the program by SIGPIPE. The signal
// is held back on this thread during a call and any that arose is taken before it is let go.
class SigpipeHeld {
  public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigpending(&before_);
        ::pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigpipeHeld() {
        sigset_t now;
        sigpending(&now);
        if (sigismember(&now, SIGPIPE) && !sigismember(&before_, SIGPIPE)) {
            const timespec none{0, 0};
            ::sigtimedwait(&pipe_, nullptr, &none);
        }
        ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

  private:
    sigset_t pipe_, old_, before_;
};

timeval Within(int ms) {
    return {ms / 1000, static_cast<suseconds_t>(ms % 1000) * 1000};
}

// An RPC client over a TCP connection made within timeoutMs; writes that the server does not
// take for writeMs fail instead of blocking.
CLIENT* RpcClient(const std::string& host, int port, u_int program, u_int version,
                  const Timeouts& timeouts, std::string& why) {
    const int fd = ConnectTcp(host, port, timeouts.connectMs, why);
    if (fd < 0)
        return nullptr;
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size);
    const timeval send = Within(timeouts.writeMs);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
    // libtirpc waits by poll(2) for answers but expects a blocking socket.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    netbuf address{size, size, &peer};
    CLIENT* client = clnt_vc_create(fd, &address, program, version, vxi11::kMostWritePiece + 4096,
                                    vxi11::kMostReadPiece + 4096);
    if (!client) {
        why = "cannot set up ONC RPC on the connection";
        ::close(fd);
        return nullptr;
    }
    clnt_control(client, CLSET_FD_CLOSE, nullptr);
    return client;
}

// One call of `procedure`: the arguments encoded by `encode`, the reply decoded into `result`.
template <class A, class R>
clnt_stat Call(CLIENT* client, u_int procedure, bool_t (*encode)(XDR*, A*), A& arguments,
               bool_t (*decode)(XDR*, R*), R& result, int waitMs) {
    return clnt_call(client, procedure, reinterpret_cast<xdrproc_t>(encode),
                     reinterpret_cast<char*>(&arguments), reinterpret_cast<xdrproc_t>(decode),
                     reinterpret_cast<char*>(&result), Within(waitMs));
}

std::string CallFailure(clnt_stat status, const char* call, int timeoutMs) {
    if (status == RPC_TIMEDOUT)
        return std::string("no answer to ") + call + " within " + DurationText(timeoutMs);
    return std::string(call) + " failed: " + clnt_sperrno(status);
}

} // namespace

Vxi11Transport::Vxi11Transport(std::string host, int port, std::string device, int portmapperPort)
    : host_(std::move(host)), port_(port), device_(std::move(device)),
      portmapperPort_(portmapperPort) {}

Vxi11Transport::~Vxi11Transport() {
    reset();
}

std::string Vxi11Transport::name() const {
    return ResourceText({Resource::Kind::Vxi11, host_, port_, device_});
}

Status Vxi11Transport::failed(const std::string& what) {
    if (client_) {
        clnt_destroy(client_);
        client_ = nullptr;
    }
    return Status::Failed(name() + ": " + what);
}

void Vxi11Transport::reset() {
    if (!client_)
        return;
    SigpipeHeld held;
    vxi11::DeviceError answer;
    Call(client_, vxi11::kDestroyLink, vxi11::XdrLink, lid_, vxi11::XdrDeviceError, answer,
         timeouts.connectMs);
    clnt_destroy(client_);
    client_ = nullptr;
}

Status Vxi11Transport::portFromPortmapper(int& port) {
    std::string why;
    CLIENT* portmapper = RpcClient(host_, portmapperPort_, PMAPPROG, PMAPVERS, timeouts, why);
    if (!portmapper)
        return Status::Failed(name() + ": the portmapper (port " + std::to_string(portmapperPort_) +
                              "): " + why);
    pmap asked{vxi11::kCoreProgram, vxi11::kCoreVersion, IPPROTO_TCP, 0};
    u_long answer = 0;
    const clnt_stat status =
        Call(portmapper, PMAPPROC_GETPORT, xdr_pmap, asked, xdr_u_long, answer, timeouts.readMs);
    clnt_destroy(portmapper);
    if (status != RPC_SUCCESS)
        return Status::Failed(
            name() + ": the portmapper: " + CallFailure(status, "GETPORT", timeouts.readMs));
    if (answer == 0 || answer > 65535)
        return Status::Failed(name() + ": the portmapper knows no VXI-11 server on this host");
    port = static_cast<int>(answer);
    return {};
}

Status Vxi11Transport::open() {
    SigpipeHeld held;
    int port = port_;
    if (port == 0)
        if (Status s = portFromPortmapper(port); !s)
            return s;
    std::string why;
    client_ = RpcClient(host_, port, vxi11::kCoreProgram, vxi11::kCoreVersion, timeouts, why);
    if (!client_)
        return Status::Failed(name() + ": " + why);
    vxi11::CreateLinkParms asked;
    asked.clientId = static_cast<int>(::getpid());
    asked.device = device_.data();
    asked.deviceSize = static_cast<u_int>(device_.size());
    vxi11::CreateLinkResp link;
    const clnt_stat status = Call(client_, vxi11::kCreateLink, vxi11::XdrCreateLinkParms, asked,
                                  vxi11::XdrCreateLinkResp, link, timeouts.readMs);
    if (status != RPC_SUCCESS)
        return failed(CallFailure(status, "create_link", timeouts.readMs));
    if (link.error != vxi11::kNoError)
        return failed("create_link for device \"" + device_ + "\" refused with error " +
                      std::to_string(link.error));
    lid_ = link.lid;
    maxRecvSize_ = link.maxRecvSize;
    return {};
}

Status Vxi11Transport::write(std::span<const char> bytes, bool end) {
    if (!client_)
        if (Status s = open(); !s)
            return s;
    SigpipeHeld held;
    // An instrument that announces less than one byte still takes one at a time.
    const std::size_t most = std::clamp<std::uint32_t>(maxRecvSize_, 1, vxi11::kMostWritePiece);
    const int timeoutMs = timeouts.writeMs;
    do {
        const std::size_t n = std::min(bytes.size(), most);
        vxi11::WriteParms asked;
        asked.lid = lid_;
        asked.ioTimeout = static_cast<u_int>(timeoutMs);
        asked.flags = end && n == bytes.size() ? vxi11::kFlagEnd : 0;
        asked.size = static_cast<u_int>(n);
        asked.data = const_cast<char*>(bytes.data());
        vxi11::WriteResp taken;
        // The instrument waits up to ioTimeout itself; its answer may take a moment more.
        const int waitMs = timeoutMs + timeouts.connectMs;
        const clnt_stat status = Call(client_, vxi11::kDeviceWrite, vxi11::XdrWriteParms, asked,
                                      vxi11::XdrWriteResp, taken, waitMs);
        if (status != RPC_SUCCESS)
            return failed(CallFailure(status, "device_write", waitMs));
        if (taken.error == vxi11::kIoTimeout)
            return failed("the instrument took no data for " + DurationText(timeoutMs));
        if (taken.error != vxi11::kNoError)
            return failed("device_write refused with error " + std::to_string(taken.error));
        if (taken.size == 0 && n > 0)
            return failed("device_write took none of the data");
        bytes = bytes.subspan(std::min<std::size_t>(taken.size, n));
    } while (!bytes.empty());
    return {};
}

Status Vxi11Transport::read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) {
    got = 0;
    end = false;
    if (!client_)
        return Status::Failed(name() + ": nothing was asked on this link");
    SigpipeHeld held;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        vxi11::ReadParms asked;
        asked.lid = lid_;
        asked.requestSize =
            static_cast<u_int>(std::min<std::size_t>(buffer.size(), vxi11::kMostReadPiece));
        asked.ioTimeout = static_cast<u_int>(timeoutMs);
        vxi11::ReadResp answer;
        answer.data = buffer.data();
        answer.capacity = asked.requestSize;
        const int waitMs = timeoutMs + timeouts.connectMs;
        const clnt_stat status = Call(client_, vxi11::kDeviceRead, vxi11::XdrReadParms, asked,
                                      vxi11::XdrReadResp, answer, waitMs);
        if (status != RPC_SUCCESS)
            return failed(CallFailure(status, "device_read", waitMs));
        if (answer.error == vxi11::kIoTimeout)
            return failed("no answer within " + DurationText(timeoutMs));
        if (answer.error != vxi11::kNoError)
            return failed("device_read refused with error " + std::to_string(answer.error));
        got = answer.size;
        end = (answer.reason & vxi11::kReasonEnd) != 0;
        if (got > 0 || end)
            return {};
        if (std::chrono::steady_clock::now() > deadline)
            return failed("no answer within " + DurationText(timeoutMs));
    }
}

} // namespace tw
