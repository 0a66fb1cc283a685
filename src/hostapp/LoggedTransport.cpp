#include "hostapp/LoggedTransport.h"

#include "app/FileUtil.h"

#include <algorithm>
#include <charconv>

namespace tw {

namespace {

constexpr std::size_t kHeadBytes = 256;    // enough for any command and block header
constexpr std::size_t kAnswerBytes = 4096; // an answer is logged up to this long

bool SessionsOwnQuery(std::string_view command) {
    return command == "SYST:ERR?" || command == "*OPC?";
}

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text)
        out += (c >= 32 && c < 127) ? c : '.';
    return out;
}

} // namespace

bool ParseBlockHead(std::string_view head, BlockHead& out) {
    const auto hash = head.find(" #");
    if (hash == std::string_view::npos || hash + 2 >= head.size())
        return false;
    const char n = head[hash + 2];
    if (n < '1' || n > '9')
        return false;
    const std::size_t digits = static_cast<std::size_t>(n - '0');
    const std::size_t from = hash + 3;
    if (head.size() < from + digits)
        return false;
    auto [end, ec] = std::from_chars(head.data() + from, head.data() + from + digits, out.bytes);
    if (ec != std::errc() || end != head.data() + from + digits)
        return false;
    out.text = std::string(head.substr(0, from + digits));
    return true;
}

LoggedTransport::LoggedTransport(std::unique_ptr<Transport> inner, HostLog& log)
    : inner_(std::move(inner)), log_(log) {
    timeouts = inner_->timeouts;
}

Status LoggedTransport::write(std::span<const char> bytes, bool end) {
    inner_->timeouts = timeouts;
    if (head_.size() < kHeadBytes)
        head_.append(bytes.data(), std::min(bytes.size(), kHeadBytes - head_.size()));
    bytes_ += bytes.size();
    Status status = inner_->write(bytes, end);
    if (!status)
        finishMessage(" (not sent)");
    else if (end)
        finishMessage("");
    return status;
}

void LoggedTransport::finishMessage(const char* ending) {
    if (bytes_ == 0)
        return;
    BlockHead block;
    std::string line;
    if (ParseBlockHead(head_, block)) {
        line = block.text + "  (block of " + std::to_string(block.bytes) + " bytes)";
    } else {
        std::string_view text(head_);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        quietAnswer_ = SessionsOwnQuery(text);
        if (quietAnswer_ && !*ending) {
            head_.clear();
            bytes_ = 0;
            return;
        }
        line = Printable(text);
    }
    log_.add(*ending ? HostLog::Kind::Error : HostLog::Kind::Sent, line + ending);
    head_.clear();
    bytes_ = 0;
}

Status LoggedTransport::read(std::span<char> buffer, std::size_t& got, bool& end, int timeoutMs) {
    Status status = inner_->read(buffer, got, end, timeoutMs);
    if (!status)
        return status;
    for (std::size_t i = 0; i < got; ++i) {
        const char c = buffer[i];
        if (c == '\n') {
            if (!answer_.empty() && answer_.back() == '\r')
                answer_.pop_back();
            if (!quietAnswer_)
                log_.add(HostLog::Kind::Reply, Printable(answer_));
            answer_.clear();
        } else if (answer_.size() < kAnswerBytes) {
            answer_ += c;
        }
    }
    return status;
}

void LoggedTransport::reset() {
    finishMessage(" (stopped: the connection was reset)");
    answer_.clear();
    inner_->reset();
}

LoggedSessionOpen OpenLoggedSession(const std::string& resourceText,
                                    const std::string& profileFolder, const std::string& model,
                                    HostLog& log) {
    LoggedSessionOpen open;
    if (open.error = MissingProfileNote(profileFolder, model); !open.error.empty())
        return open; // whatever the resource, nothing could be sent
    ResourceParse parse = ParseResource(resourceText);
    if (!parse.resource) {
        open.error = parse.error;
        return open;
    }
    ProfileLoad load = FindInstrumentProfile(profileFolder, model);
    if (!load.profile) {
        open.error = load.error;
        return open;
    }
    std::unique_ptr<Transport> transport = OpenTransport(*parse.resource, open.error);
    if (!transport)
        return open;
    auto session = std::make_unique<InstrumentSession>(
        std::make_unique<LoggedTransport>(std::move(transport), log), *load.profile);
    if (Outcome o = session->query("*IDN?", open.identity); !o.ok()) {
        open.error = o.message();
        return open;
    }
    if (!open.identity.starts_with(load.profile->identity)) {
        open.error = resourceText + " answers *IDN? with \"" + open.identity + "\", not \"" +
                     load.profile->identity + "...\" as the " + model + " profile expects";
        return open;
    }
    open.session = std::move(session);
    return open;
}

std::string MissingProfileNote(const std::string& folder, const std::string& model) {
    const std::string path = folder + "/" + model + ".scpi";
    if (FileExists(path))
        return {};
    return "The " + model + " has no instrument profile (" + path +
           "), so the host cannot send to it.\nChoose Instrument > Files Only to keep the "
           "composers' messages and files in a folder.";
}

} // namespace tw
