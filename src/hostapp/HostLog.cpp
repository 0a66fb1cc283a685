#include "hostapp/HostLog.h"

namespace tw {

const char* HostLog::Prefix(Kind kind) {
    switch (kind) {
    case Kind::Message:
        return "message  ";
    case Kind::Sent:
        return "sent     ";
    case Kind::Reply:
        return "reply    ";
    case Kind::Error:
        return "ERROR    ";
    case Kind::Note:
        break;
    }
    return "         ";
}

void HostLog::add(Kind kind, std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (lines_.size() >= kMostLines)
        lines_.erase(lines_.begin(), lines_.begin() + kMostLines / 10);
    lines_.push_back({kind, std::move(text)});
    if (listener_)
        listener_(lines_.back());
}

std::string HostLog::text() const {
    std::string out;
    for (const Line& line : lines_) {
        std::size_t at = 0;
        do {
            const std::size_t end = line.text.find('\n', at);
            out += Prefix(line.kind) + line.text.substr(at, end - at) + "\n";
            at = end == std::string::npos ? end : end + 1;
        } while (at != std::string::npos);
    }
    return out;
}

FileResult HostLog::save(const std::string& path) const {
    return WriteFileAtomically(path, text());
}

} // namespace tw
