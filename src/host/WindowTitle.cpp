#include "host/WindowTitle.h"

#include "app/LaunchState.h"
#include "app/Prompter.h"
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

bool PublishTitle(const std::string& title) {
    const LaunchState& ls = launch();
    if (!ExchangeFile::Titles(ls).Publish(ls.composerId, title)) {
        ask(ls.appName, "ATTENTION\nInvalid Composer ID", Buttons::Ok, Icon::Exclamation);
        return false;
    }
    AppendLog("\nCOMPOSER:" + title);
    return true;
}

} // namespace tw
