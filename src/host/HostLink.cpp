#include "host/HostLink.h"

#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "host/ExchangeFile.h"

namespace tw {

namespace {
HostLink* current = nullptr;
}

void SetHostLink(HostLink* link) {
    current = link;
}

bool SendToHost(std::string_view title, std::string_view text) {
    if (current && current->sendText(title, text))
        return true;
    ask(launch().appName, "Unable to find target app.", Buttons::Ok, Icon::Exclamation);
    return false;
}

bool SendToExchangeHost(const LaunchState& session, std::string_view text) {
    std::string title = ExchangeFile::Titles(session).Host();
    if (title.empty())
        return false;
    return SendToHost(title, text);
}

void PostComposerClosed(long first, long second) {
    if (current)
        current->postToAll(kComposerClosedName, first, second);
}

} // namespace tw
