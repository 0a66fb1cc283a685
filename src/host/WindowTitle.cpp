#include "host/WindowTitle.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"

namespace tw {

std::string ShortPathForTitle(std::string_view path) {
    auto first = path.find('/');
    auto last = path.rfind('/');
    if (first == std::string_view::npos || first == last)
        return std::string(path);
    return std::string(path.substr(0, first + 1)) + "..." + std::string(path.substr(last));
}

std::string BuildWindowTitle(const std::string& documentPath) {
    return launch().appName + " -> " + ShortPathForTitle(documentPath);
}

bool PublishTitle(const std::string& title) {
    const LaunchState& ls = launch();
    const char* key = nullptr;
    switch (ls.composerId) {
    case kStandardComposer:
        key = "TD";
        break;
    case kFmComposer:
        key = "FMC";
        break;
    case kPulseComposer:
        key = "PLS";
        break;
    default:
        ask(ls.appName, "ATTENTION\nInvalid Composer ID", Buttons::Ok, Icon::Exclamation);
        return false;
    }
    AppendLog("\nCOMPOSER:" + title);
    std::string current;
    // Painting happens often; rewrite the exchange file only when the title changed.
    if (!ProfileRecord("AppTits", key, current, 520, ls.exchangeFile, true) || current != title)
        WriteProfileKey("AppTits", key, title, ls.exchangeFile);
    return true;
}

} // namespace tw
