#include "app/RecentFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tw {

namespace {

constexpr std::size_t kMenuTextLength = 60;

bool Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts never split a UTF-8 sequence: the head ends and the tail starts on a character.
std::string Head(const std::string& s, std::size_t n) {
    while (n > 0 && n < s.size() && Continuation(s[n]))
        --n;
    return s.substr(0, n);
}

std::string Tail(const std::string& s, std::size_t n) {
    std::size_t start = s.size() - std::min(n, s.size());
    while (start < s.size() && Continuation(s[start]))
        ++start;
    return s.substr(start);
}

// The reason a listed file cannot be opened, or "" when it is a file there to open.
std::string MissingReason(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec)
        return ec.message();
    if (!std::filesystem::exists(status))
        return std::make_error_code(std::errc::no_such_file_or_directory).message();
    if (std::filesystem::is_directory(status))
        return std::make_error_code(std::errc::is_a_directory).message();
    return {};
}

} // namespace

void RecentFiles::Restore(const std::vector<std::string>& stored) {
    entries_.clear();
    for (const std::string& path : stored)
        if (!path.empty() && entries_.size() < kMax &&
            std::find(entries_.begin(), entries_.end(), path) == entries_.end())
            entries_.push_back(path);
}

bool RecentFiles::Add(const std::string& path) {
    if (path.empty() || (!entries_.empty() && entries_.front() == path))
        return false;
    std::erase(entries_, path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > kMax)
        entries_.resize(kMax);
    return true;
}

bool RecentFiles::Remove(const std::string& path) {
    return std::erase(entries_, path) != 0;
}

std::string RecentFiles::Choose(std::size_t index) {
    if (index >= entries_.size())
        return {};
    std::string path = entries_[index];
    const std::string reason = MissingReason(path);
    if (reason.empty())
        return path;
    Remove(path);
    ask(prompts_, caption_,
        "Unable to open " + path + "\n" + reason + "\nIt is removed from the recent-file list.",
        Buttons::Ok, Icon::Exclamation);
    return {};
}

std::string RecentFileMenuText(std::size_t index, const std::string& path) {
    std::string shown = path;
    if (shown.size() > kMenuTextLength) {
        const std::size_t slash = shown.find_last_of('/');
        const std::size_t nameLength =
            slash == std::string::npos ? shown.size() : shown.size() - slash;
        if (nameLength + 4 >= kMenuTextLength)
            shown = "..." + Tail(shown, kMenuTextLength - 3);
        else
            shown = Head(shown, kMenuTextLength - nameLength - 3) + "..." + Tail(shown, nameLength);
    }
    std::string escaped;
    for (char c : shown) {
        escaped += c;
        if (c == '&')
            escaped += '&';
    }
    return "&" + std::to_string(index + 1) + " " + escaped;
}

} // namespace tw
