#include "host/WindowTitle.h"

#include "host/ExchangeFile.h"

namespace tw {

std::string ShortPathForTitle(std::string_view path) {
    auto first = path.find('/');
    auto last = path.rfind('/');
    if (first == std::string_view::npos || first == last)
        return std::string(path);
    return std::string(path.substr(0, first + 1)) + "..." + std::string(path.substr(last));
}

std::string BuildWindowTitle(const LaunchState& session, const std::string& documentPath) {
    return session.appName + " -> " + ShortPathForTitle(documentPath);
}

Result PublishTitle(const LaunchState& session, const std::string& title) {
    if (!ExchangeFile::Titles(session).Publish(session.composerId, title))
        return Notice{0, session.appName, "ATTENTION\nInvalid Composer ID"};
    AppendLog(session, "\nCOMPOSER:" + title);
    return {};
}

} // namespace tw
