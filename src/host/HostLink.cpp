#include "host/HostLink.h"

#include "host/ExchangeFile.h"

namespace tw {

namespace {
HostLink* current = nullptr;
}

void SetHostLink(HostLink* link) {
    current = link;
}

Result SendToHost(const LaunchState& session, std::string_view title, std::string_view text) {
    if (current && current->sendText(title, text))
        return {};
    return Notice{0, session.appName, "Unable to find target app."};
}

Result SendToExchangeHost(const LaunchState& session, std::string_view text) {
    std::string title = ExchangeFile::Titles(session).Host();
    if (title.empty())
        return Result::Failed();
    return SendToHost(session, title, text);
}

void PostComposerClosed(long first, long second) {
    if (current)
        current->postToAll(kComposerClosedName, first, second);
}

} // namespace tw
