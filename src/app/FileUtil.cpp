#include "app/FileUtil.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace tw {

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

std::int64_t FileSize(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

bool RemoveFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec);
}

bool CreateFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    auto size = in.tellg();
    if (size < 0)
        return std::nullopt;
    std::string data(static_cast<size_t>(size), '\0');
    in.seekg(0);
    in.read(data.data(), size);
    data.resize(static_cast<size_t>(in.gcount()));
    return data;
}

namespace {

constexpr std::string_view kTempMark = ".~tw";

// "<name>.~tw<digits>-<digits>" is a temporary of WriteFileAtomically for the target <name>;
// its target, or nothing for any other name.
std::optional<std::string_view> TargetOfTemporary(std::string_view entry) {
    const auto mark = entry.rfind(kTempMark);
    if (mark == std::string_view::npos || mark == 0)
        return std::nullopt;
    const std::string_view tag = entry.substr(mark + kTempMark.size());
    const auto dash = tag.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == tag.size())
        return std::nullopt;
    for (std::size_t i = 0; i < tag.size(); ++i)
        if (i != dash && !std::isdigit(static_cast<unsigned char>(tag[i])))
            return std::nullopt;
    return entry.substr(0, mark);
}

// A writer killed between write and rename leaves its temporary behind. No rewrite takes a
// minute, so an older one is dead; a younger one may be another process's live write.
constexpr auto kStaleTemporaryAge = std::chrono::seconds(60);

// The stale temporaries of one folder by target, as its last look found them.
struct FolderScan {
    std::chrono::steady_clock::time_point at;
    std::unordered_map<std::string, std::vector<std::string>> staleByTarget;
};

std::unordered_map<std::string, std::vector<std::string>>
ListStaleTemporaries(const std::string& folder) {
    std::unordered_map<std::string, std::vector<std::string>> stale;
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto target = TargetOfTemporary(name);
        if (!target)
            continue;
        std::error_code timeError;
        const auto written = it->last_write_time(timeError);
        if (!timeError && now - written > kStaleTemporaryAge)
            stale[std::string(*target)].push_back(it->path().string());
    }
    return stale;
}

// Looking at a folder at most once a minute keeps writes cheap where one process writes
// thousands of files into it (the pulse segments), and still catches, in a long-running
// process, leftovers that were too young at the last look. What a look found for a target is
// removed at that target's next write.
void RemoveStaleTemporaries(const std::string& path) {
    static std::mutex mutex;
    static std::unordered_map<std::string, FolderScan> scans;
    const std::string folder = FolderOf(path);
    std::vector<std::string> stale;
    {
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard lock(mutex);
        auto [it, first] = scans.try_emplace(folder);
        FolderScan& scan = it->second;
        if (first || now - scan.at >= kStaleTemporaryAge) {
            scan.at = now;
            scan.staleByTarget = ListStaleTemporaries(folder);
        }
        auto found = scan.staleByTarget.find(FileNameOf(path));
        if (found == scan.staleByTarget.end())
            return;
        stale = std::move(found->second);
        scan.staleByTarget.erase(found);
    }
    for (const std::string& temp : stale)
        RemoveFile(temp);
}

// A fresh temporary beside path, named so that RemoveStaleTemporaries recognises it.
std::string TemporaryFor(const std::string& path) {
    RemoveStaleTemporaries(path);
    static std::atomic<unsigned> counter{0};
    std::ostringstream name;
    name << path << kTempMark << std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000
         << '-' << counter++;
    return name.str();
}

// Renames a complete temporary over its target; on failure the temporary goes.
bool ReplaceWith(const std::string& temp, const std::string& path) {
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        RemoveFile(temp);
        return false;
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write) {
    const std::string temp = TemporaryFor(path);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        const bool written = write(out);
        out.close();
        if (!written || !out) {
            RemoveFile(temp);
            return false;
        }
    }
    return ReplaceWith(temp, path);
}

bool WriteFileAtomically(const std::string& path, std::string_view content) {
    return WriteFileAtomically(path, [content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return true;
    });
}

bool CopyFileOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec))
        return true;
    const std::string temp = TemporaryFor(to);
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec)) {
        RemoveFile(temp);
        return false;
    }
    return ReplaceWith(temp, to);
}

bool SnapshotFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec))
        return true;
    const std::string temp = TemporaryFor(to);
    fs::create_hard_link(from, temp, ec);
    if (ec) {
        RemoveFile(temp);
        return CopyFileOver(from, to);
    }
    return ReplaceWith(temp, to);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    std::string name = FileNameOf(path);
    auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string ReplaceExtension(const std::string& path, std::string_view newExtension) {
    auto slash = path.find_last_of('/');
    auto dot = path.find_last_of('.');
    std::string stem = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                           ? path
                           : path.substr(0, dot);
    return stem + "." + std::string(newExtension);
}

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace tw
