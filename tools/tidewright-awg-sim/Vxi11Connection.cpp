#include "Vxi11Connection.h"

#include "instrument/Vxi11Protocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <rpc/pmap_prot.h>
#include <sys/socket.h>

namespace tw::sim {

namespace {

using namespace tw::vxi11;

constexpr std::uint32_t kLastFragment = 0x80000000u;
constexpr u_int kMostAuthBytes = 400;
constexpr std::size_t kReceiveBytes = std::size_t{256} * 1024;

// ONC RPC message and reply types, and the accept states of a reply.
enum : u_int { kCall = 0, kReply = 1, kAccepted = 0, kDenied = 1 };
enum : u_int { kSuccess = 0, kProgUnavail = 1, kProgMismatch = 2, kProcUnavail = 3, kGarbage = 4 };

bool SkipAuth(XDR* x) {
    u_int flavor = 0, size = 0;
    char* body = nullptr;
    return xdr_u_int(x, &flavor) && xdr_u_int(x, &size) && size <= kMostAuthBytes &&
           (size == 0 || (body = reinterpret_cast<char*>(xdr_inline(x, (size + 3) & ~3u))));
}

// The reply under construction: the record mark, the reply header, then the result.
class Reply {
  public:
    Reply(std::vector<char>& out, u_int xid, std::size_t resultBytes) : out_(out) {
        out_.assign(4 + 24 + resultBytes + 16, 0);
        xdrmem_create(&x_, out_.data() + 4, static_cast<u_int>(out_.size() - 4), XDR_ENCODE);
        u_int header[] = {xid, kReply, kAccepted, 0, 0};
        for (u_int& h : header)
            xdr_u_int(&x_, &h);
    }
    XDR* xdr() { return &x_; }
    void put(u_int value) { xdr_u_int(&x_, &value); }
    void finish() {
        const std::uint32_t size = xdr_getpos(&x_);
        const std::uint32_t mark = htonl(kLastFragment | size);
        std::memcpy(out_.data(), &mark, 4);
        out_.resize(4 + size);
    }

  private:
    std::vector<char>& out_;
    XDR x_;
};

} // namespace

Vxi11Connection::Vxi11Connection(int fd, SimInstrument& instrument, const Vxi11Settings& settings)
    : Connection(fd), instrument_(instrument), settings_(settings) {}

Vxi11Connection::~Vxi11Connection() = default;

bool Vxi11Connection::readable() {
    const std::size_t had = unread_.size();
    unread_.resize(had + kReceiveBytes);
    const ssize_t n = ::recv(fd_, unread_.data() + had, kReceiveBytes, 0);
    unread_.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    return process();
}

bool Vxi11Connection::writable() {
    while (sent_ < reply_.size()) {
        const ssize_t n = ::send(fd_, reply_.data() + sent_, reply_.size() - sent_, MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        sent_ += static_cast<std::size_t>(n);
    }
    reply_.clear();
    sent_ = 0;
    return process(); // records that arrived behind the last one
}

bool Vxi11Connection::process() {
    std::size_t at = 0;
    while (!wantsToWrite()) {
        if (unread_.size() - at < 4)
            break;
        std::uint32_t mark;
        std::memcpy(&mark, unread_.data() + at, 4);
        mark = ntohl(mark);
        const std::size_t size = mark & ~kLastFragment;
        if (record_.size() + size > kMostRecordBytes)
            return false;
        if (unread_.size() - at - 4 < size) {
            // A long fragment: what has come of it moves into the record, the mark stays.
            const std::size_t part = unread_.size() - at - 4;
            record_.insert(record_.end(), unread_.begin() + at + 4, unread_.end());
            mark = htonl(static_cast<std::uint32_t>((mark & kLastFragment) | (size - part)));
            std::memcpy(unread_.data() + at, &mark, 4);
            unread_.resize(at + 4);
            break;
        }
        record_.insert(record_.end(), unread_.begin() + at + 4, unread_.begin() + at + 4 + size);
        at += 4 + size;
        if (mark & kLastFragment) {
            const bool ok = answer(record_.data(), record_.size());
            record_.clear();
            if (!ok)
                return false;
        }
    }
    unread_.erase(unread_.begin(), unread_.begin() + at);
    return true;
}

bool Vxi11Connection::reply(u_int xid, u_int state, std::size_t resultBytes,
                            const std::function<void(XDR*)>& result) {
    Reply r(reply_, xid, resultBytes);
    r.put(state);
    if (result)
        result(r.xdr());
    r.finish();
    return true;
}

bool Vxi11Connection::answer(const char* record, std::size_t size) {
    XDR in;
    xdrmem_create(&in, const_cast<char*>(record), static_cast<u_int>(size), XDR_DECODE);
    u_int xid = 0, type = 0, rpcVersion = 0, program = 0, version = 0, procedure = 0;
    if (!xdr_u_int(&in, &xid) || !xdr_u_int(&in, &type) || type != kCall ||
        !xdr_u_int(&in, &rpcVersion) || !xdr_u_int(&in, &program) || !xdr_u_int(&in, &version) ||
        !xdr_u_int(&in, &procedure) || !SkipAuth(&in) || !SkipAuth(&in))
        return false; // not ONC RPC: the client is dropped
    if (rpcVersion != 2) {
        Reply r(reply_, xid, 8);
        // MSG_DENIED, RPC_MISMATCH 2..2 in place of the accepted header.
        xdr_setpos(r.xdr(), 8);
        for (u_int v : {u_int{kDenied}, 0u, 2u, 2u})
            r.put(v);
        r.finish();
        return true;
    }
    const bool core = program == kCoreProgram, portmapper = program == PMAPPROG;
    u_int wanted = core ? kCoreVersion : PMAPVERS;
    if (!core && !portmapper)
        return reply(xid, kProgUnavail);
    if (version != wanted)
        return reply(xid, kProgMismatch, 8, [&](XDR* x) {
            xdr_u_int(x, &wanted);
            xdr_u_int(x, &wanted);
        });
    if (procedure == 0)
        return reply(xid, kSuccess);
    if (portmapper)
        return procedure == PMAPPROC_GETPORT ? getPort(&in, xid) : reply(xid, kProcUnavail);
    switch (procedure) {
    case kCreateLink:
        return createLink(&in, xid);
    case kDeviceWrite:
        return deviceWrite(&in, xid);
    case kDeviceRead:
        return deviceRead(&in, xid);
    case kDestroyLink:
        return destroyLink(&in, xid);
    default:
        return reply(xid, kProcUnavail);
    }
}

bool Vxi11Connection::getPort(XDR* in, u_int xid) {
    pmap asked{};
    if (!xdr_pmap(in, &asked))
        return reply(xid, kGarbage);
    sockaddr_storage self{};
    socklen_t length = sizeof self;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&self), &length);
    u_int port = self.ss_family == AF_INET6
                     ? ntohs(reinterpret_cast<sockaddr_in6*>(&self)->sin6_port)
                     : ntohs(reinterpret_cast<sockaddr_in*>(&self)->sin_port);
    if (asked.pm_prog != kCoreProgram || asked.pm_vers != kCoreVersion ||
        asked.pm_prot != IPPROTO_TCP)
        port = 0; // not registered
    return reply(xid, kSuccess, 4, [&](XDR* x) { xdr_u_int(x, &port); });
}

bool Vxi11Connection::createLink(XDR* in, u_int xid) {
    CreateLinkParms asked;
    if (!XdrCreateLinkParms(in, &asked))
        return reply(xid, kGarbage);
    CreateLinkResp link;
    const std::string device(asked.device, asked.deviceSize);
    if (!device.starts_with("inst")) {
        link.error = kParameterError;
    } else if (links_.size() >= kMostLinks) {
        link.error = kOutOfResources;
    } else {
        link.lid = nextLink_++;
        link.maxRecvSize = settings_.maxRecvSize;
        links_.emplace(link.lid, std::make_unique<ScpiStream>(instrument_));
    }
    return reply(xid, kSuccess, 16, [&](XDR* x) { XdrCreateLinkResp(x, &link); });
}

bool Vxi11Connection::deviceWrite(XDR* in, u_int xid) {
    WriteParms asked;
    if (!XdrWriteParms(in, &asked))
        return reply(xid, kGarbage);
    const bool end = (asked.flags & kFlagEnd) != 0;
    if (settings_.log) {
        std::fprintf(settings_.log, "device_write %u %s\n", asked.size, end ? "END" : "-");
        std::fflush(settings_.log);
    }
    WriteResp taken;
    const auto link = links_.find(asked.lid);
    if (link == links_.end()) {
        taken.error = kInvalidLink;
    } else if (asked.size > settings_.maxRecvSize) {
        taken.error = kParameterError; // longer than this link takes
    } else {
        if (!link->second->take(asked.data, asked.size) || (end && !link->second->endMessage()))
            return false; // broke the syntax or flooded the answers: dropped as on a socket
        taken.size = asked.size;
    }
    return reply(xid, kSuccess, 8, [&](XDR* x) { XdrWriteResp(x, &taken); });
}

bool Vxi11Connection::deviceRead(XDR* in, u_int xid) {
    ReadParms asked;
    if (!XdrReadParms(in, &asked))
        return reply(xid, kGarbage);
    const auto link = links_.find(asked.lid);
    ReadResp got;
    std::vector<char> data;
    if (link == links_.end()) {
        got.error = kInvalidLink;
    } else if (!link->second->answering()) {
        got.error = kIoTimeout; // answers come at once here, so none will come
    } else {
        ScpiStream& stream = *link->second;
        const std::size_t most = std::min<std::size_t>(asked.requestSize, kMostReadPiece);
        for (std::span<const char> piece;
             data.size() < most && !(piece = stream.nextAnswer()).empty();) {
            const std::size_t n = std::min(piece.size(), most - data.size());
            data.insert(data.end(), piece.begin(), piece.begin() + n);
            stream.answerTaken(n);
        }
        got.reason = stream.answering() ? kReasonRequestCount : kReasonEnd;
    }
    got.size = static_cast<u_int>(data.size());
    got.data = data.data();
    return reply(xid, kSuccess, 12 + data.size(), [&](XDR* x) { XdrReadResp(x, &got); });
}

bool Vxi11Connection::destroyLink(XDR* in, u_int xid) {
    int lid = 0;
    if (!XdrLink(in, &lid))
        return reply(xid, kGarbage);
    DeviceError result{links_.erase(lid) ? kNoError : kInvalidLink};
    return reply(xid, kSuccess, 4, [&](XDR* x) { XdrDeviceError(x, &result); });
}

} // namespace tw::sim
