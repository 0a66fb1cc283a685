#include "ScpiServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tw::sim {

namespace {

std::atomic<bool> stopAsked{false};

extern "C" void AskStop(int) {
    stopAsked = true;
}

// Answers a client has not taken yet are bounded by count; their blocks are shared, not copied.
constexpr std::size_t kMostPendingAnswers = 1024;

} // namespace

struct ScpiServer::Client {
    int fd = -1;
    enum class State { Text, BlockCount, BlockLength, Payload } state = State::Text;
    std::string command;
    std::string header; // the block command's
    std::size_t digits = 0;
    std::string length;
    std::uint64_t remaining = 0;
    BlockTarget target;
    struct Out {
        std::string text;
        std::shared_ptr<const Bytes> block;
        std::size_t at = 0;
    };
    std::deque<Out> out;

    ~Client() {
        if (fd >= 0)
            ::close(fd);
    }
};

ScpiServer::ScpiServer(SimInstrument& instrument, int listenFd)
    : instrument_(instrument), listenFd_(listenFd) {
    struct sigaction action {};
    action.sa_handler = AskStop; // no SA_RESTART: poll returns at once
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

ScpiServer::~ScpiServer() = default;

void ScpiServer::accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (clients_.size() >= kMostClients) {
        ::close(fd);
        return;
    }
    auto client = std::make_unique<Client>();
    client->fd = fd;
    clients_.push_back(std::move(client));
}

void ScpiServer::finishCommand(Client& c) {
    std::optional<Answer> answer = instrument_.execute(c.command);
    c.command.clear();
    if (!answer)
        return;
    if (answer->block) {
        const std::string length = std::to_string(answer->block->size());
        c.out.push_back({"#" + std::to_string(length.size()) + length, answer->block});
        c.out.push_back({"\n", nullptr});
    } else {
        c.out.push_back({answer->text + "\n", nullptr});
    }
}

bool ScpiServer::take(Client& c, const char* data, std::size_t size) {
    using State = Client::State;
    for (std::size_t i = 0; i < size; ++i) {
        const char ch = data[i];
        switch (c.state) {
        case State::Payload: {
            const auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(c.remaining, static_cast<std::uint64_t>(size - i)));
            if (c.target.at) {
                std::memcpy(c.target.at, data + i, n);
                c.target.at += n;
            }
            c.remaining -= n;
            i += n - 1;
            if (c.remaining == 0) {
                c.state = State::Text;
                c.target = {};
            }
            break;
        }
        case State::BlockCount:
            if (ch < '1' || ch > '9')
                return false; // indefinite-length and malformed blocks are not taken
            c.digits = static_cast<std::size_t>(ch - '0');
            c.length.clear();
            c.state = State::BlockLength;
            break;
        case State::BlockLength:
            if (ch < '0' || ch > '9')
                return false;
            c.length += ch;
            if (c.length.size() == c.digits) {
                c.remaining = std::stoull(c.length);
                c.target = instrument_.beginBlock(c.header, c.remaining);
                c.state = c.remaining ? State::Payload : State::Text;
            }
            break;
        case State::Text:
            if (ch == '\n' || ch == ';') {
                finishCommand(c);
                if (c.out.size() > kMostPendingAnswers)
                    return false;
            } else if (ch == '#') {
                const std::string text = c.command;
                const auto start = text.find_first_not_of(" \t");
                const auto blank = text.find_first_of(" \t", start);
                if (start != std::string::npos && blank != std::string::npos &&
                    text.find_first_not_of(" \t", blank) == std::string::npos &&
                    SimInstrument::TakesBlock(text.substr(start, blank - start))) {
                    c.header = text.substr(start, blank - start);
                    c.command.clear();
                    c.state = State::BlockCount;
                } else {
                    c.command += ch;
                }
            } else if ((static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\r') ||
                       static_cast<unsigned char>(ch) >= 0x7f) {
                return false; // binary outside a block: not a SCPI client
            } else {
                c.command += ch;
                if (c.command.size() > kMostCommandBytes)
                    return false;
            }
            break;
        }
    }
    return true;
}

bool ScpiServer::readFrom(Client& c) {
    // A block's payload goes straight from the socket into the segment.
    if (c.state == Client::State::Payload && c.target.at) {
        const ssize_t n =
            ::recv(c.fd, c.target.at,
                   static_cast<std::size_t>(std::min<std::uint64_t>(c.remaining, 1 << 30)), 0);
        if (n == 0)
            return false;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        c.target.at += n;
        c.remaining -= static_cast<std::uint64_t>(n);
        if (c.remaining == 0) {
            c.state = Client::State::Text;
            c.target = {};
        }
        return true;
    }
    static char buffer[256 * 1024];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    return take(c, buffer, static_cast<std::size_t>(n));
}

bool ScpiServer::writeTo(Client& c) {
    while (!c.out.empty()) {
        Client::Out& o = c.out.front();
        const char* data = o.text.data();
        std::size_t size = o.text.size();
        std::size_t at = o.at;
        if (at >= size && o.block) {
            data = o.block->data();
            at -= size;
            size = o.block->size();
        }
        if (at >= size) {
            c.out.pop_front();
            continue;
        }
        const ssize_t n = ::send(c.fd, data + at, size - at, MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        o.at += static_cast<std::size_t>(n);
    }
    return true;
}

void ScpiServer::run() {
    std::vector<pollfd> fds;
    while (!stopAsked) {
        fds.assign(1, {listenFd_, POLLIN, 0});
        for (const auto& c : clients_)
            fds.push_back({c->fd, static_cast<short>(c->out.empty() ? POLLIN : POLLOUT), 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        std::vector<Client*> dropped;
        for (std::size_t i = 1; i < fds.size(); ++i) {
            Client& c = *clients_[i - 1];
            const short ready = fds[i].revents;
            bool keep = !(ready & (POLLERR | POLLNVAL));
            if (keep && (ready & (POLLIN | POLLHUP)) && c.out.empty())
                keep = readFrom(c);
            if (keep && (ready & POLLOUT))
                keep = writeTo(c);
            if (!keep)
                dropped.push_back(&c);
        }
        std::erase_if(clients_, [&](const auto& c) {
            return std::find(dropped.begin(), dropped.end(), c.get()) != dropped.end();
        });
        if (fds[0].revents & POLLIN)
            accept();
    }
}

} // namespace tw::sim
