#include "SimServer.h"

#include "ScpiConnection.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <poll.h>
#include <sys/socket.h>

namespace tw::sim {

namespace {

std::atomic<bool> stopAsked{false};

extern "C" void AskStop(int) {
    stopAsked = true;
}

} // namespace

SimServer::SimServer(SimInstrument& instrument, int scpiFd, int vxi11Fd, Vxi11Settings settings)
    : instrument_(instrument), scpiFd_(scpiFd), vxi11Fd_(vxi11Fd), settings_(settings) {
    struct sigaction action {};
    action.sa_handler = AskStop; // no SA_RESTART: poll returns at once
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

void SimServer::accept(int listenFd) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (clients_.size() >= kMostClients) {
        ::close(fd);
        return;
    }
    if (listenFd == vxi11Fd_)
        clients_.push_back(std::make_unique<Vxi11Connection>(fd, instrument_, settings_));
    else
        clients_.push_back(std::make_unique<ScpiConnection>(fd, instrument_));
}

void SimServer::run() {
    std::vector<pollfd> fds;
    const std::size_t listeners = vxi11Fd_ >= 0 ? 2 : 1;
    while (!stopAsked) {
        fds.assign({{scpiFd_, POLLIN, 0}, {vxi11Fd_, POLLIN, 0}});
        fds.resize(listeners);
        for (const auto& c : clients_)
            fds.push_back({c->fd(), static_cast<short>(c->wantsToWrite() ? POLLOUT : POLLIN), 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        std::vector<Connection*> dropped;
        for (std::size_t i = listeners; i < fds.size(); ++i) {
            Connection& c = *clients_[i - listeners];
            const short ready = fds[i].revents;
            bool keep = !(ready & (POLLERR | POLLNVAL));
            if (keep && (ready & (POLLIN | POLLHUP)) && !c.wantsToWrite())
                keep = c.readable();
            if (keep && (ready & POLLOUT))
                keep = c.writable();
            if (!keep)
                dropped.push_back(&c);
        }
        std::erase_if(clients_, [&](const auto& c) {
            return std::find(dropped.begin(), dropped.end(), c.get()) != dropped.end();
        });
        for (std::size_t l = 0; l < listeners; ++l)
            if (fds[l].revents & POLLIN)
                accept(fds[l].fd);
    }
}

} // namespace tw::sim
