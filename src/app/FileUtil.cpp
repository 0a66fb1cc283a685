#include "app/FileUtil.h"
#include "app/RegularFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <unordered_map>
#include <utility>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tw {

FileResult FileResult::Failed(Action action, std::string path, std::string reason) {
    FileResult r;
    r.ok_ = false;
    r.action_ = action;
    r.path_ = std::move(path);
    r.reason_ = reason.empty() ? std::string("unknown error") : std::move(reason);
    return r;
}

FileResult FileResult::Failed(Action action, std::string path, std::error_code ec) {
    return Failed(action, std::move(path), ec.message());
}

FileResult FileResult::FromErrno(Action action, std::string path, int error) {
    return Failed(action, std::move(path), std::generic_category().message(error));
}

FileResult FileResult::Cancelled(Action action, std::string path) {
    FileResult result = Failed(action, std::move(path), "cancelled");
    result.cancelled_ = true;
    return result;
}

std::string FileResult::message() const {
    if (ok_)
        return {};
    return (action_ == Action::Read ? "Unable to read " : "Unable to write ") + path_ + "\n" +
           reason_;
}

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
    return ReadFileStart(path, std::numeric_limits<std::size_t>::max());
}

namespace {

constexpr std::string_view kTempMark = ".~tw";

// "<name>.~tw<process id>-<count>" is a temporary of WriteFileAtomically for the target <name>;
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
// minute, so an older one of another process is dead; a younger one may be its live write.
constexpr auto kStaleTemporaryAge = std::chrono::seconds(60);

// The stale temporaries of one folder by target, as its last look found them.
struct FolderScan {
    std::chrono::steady_clock::time_point at;
    std::unordered_map<std::string, std::vector<std::string>> staleByTarget;
};

// The process that wrote a temporary, from its "<process id>-<count>" tag.
bool WriterIsDead(std::string_view name) {
    const std::string_view tag = name.substr(name.rfind(kTempMark) + kTempMark.size());
    const long pid = std::strtol(std::string(tag.substr(0, tag.find('-'))).c_str(), nullptr, 10);
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Stale temporaries by target; those whose writer is dead under "" (of any target: a Save As
// killed midway may leave a large one whose target is never written again).
std::unordered_map<std::string, std::vector<std::string>>
ListStaleTemporaries(const std::string& folder) {
    std::unordered_map<std::string, std::vector<std::string>> stale;
    const auto now = fs::file_time_type::clock::now();
    const std::string ownTag = std::string(kTempMark) + std::to_string(::getpid()) + "-";
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto target = TargetOfTemporary(name);
        // This process's own temporaries are writes still under way (a staged undo snapshot
        // may wait for its change for minutes); only other writers die and leave theirs.
        if (!target || name.find(ownTag) != std::string::npos)
            continue;
        std::error_code timeError;
        const auto written = it->last_write_time(timeError);
        if (!timeError && now - written > kStaleTemporaryAge)
            stale[WriterIsDead(name) ? std::string() : std::string(*target)].push_back(
                it->path().string());
    }
    return stale;
}

// Looking at a folder at most once a minute keeps writes cheap where one process writes
// thousands of files into it (the pulse segments), and still catches, in a long-running
// process, leftovers that were too young at the last look. What a look found for a target is
// removed at that target's next write, what dead writers left at once.
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
        for (const std::string& target : {std::string(), FileNameOf(path)}) {
            auto found = scan.staleByTarget.find(target);
            if (found == scan.staleByTarget.end())
                continue;
            stale.insert(stale.end(), found->second.begin(), found->second.end());
            scan.staleByTarget.erase(found);
        }
    }
    for (const std::string& temp : stale)
        RemoveFile(temp);
}

// A fresh temporary beside path, named so that RemoveStaleTemporaries recognises it. The process
// id keeps two processes writing the same file (the host and us, two composers) on temporaries
// of their own; the counter does the same for the writes of one process.
std::string TemporaryFor(const std::string& path) {
    RemoveStaleTemporaries(path);
    static std::atomic<unsigned> counter{0};
    std::ostringstream name;
    name << path << kTempMark << ::getpid() << '-' << counter++;
    return name.str();
}

constexpr auto kWrite = FileResult::Action::Write;

// An output stream over a file descriptor that keeps the errno of the first failed write, so that
// a full disk is reported as such.
class DescriptorBuf : public std::streambuf {
  public:
    explicit DescriptorBuf(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (!flush())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* data, std::streamsize n) override {
        if (n < static_cast<std::streamsize>(sizeof buffer_) / 2) {
            // Small pieces gather in the buffer.
            std::streamsize done = 0;
            while (done < n) {
                if (pptr() == epptr() && !flush())
                    return done;
                const std::streamsize room = std::min<std::streamsize>(epptr() - pptr(), n - done);
                std::memcpy(pptr(), data + done, static_cast<std::size_t>(room));
                pbump(static_cast<int>(room));
                done += room;
            }
            return done;
        }
        // Large blocks go straight to the file.
        if (!flush() || !writeAll(data, static_cast<std::size_t>(n)))
            return 0;
        return n;
    }
    int sync() override { return flush() ? 0 : -1; }

  private:
    bool flush() {
        const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer_, buffer_ + sizeof buffer_);
        return pending == 0 || writeAll(buffer_, pending);
    }
    bool writeAll(const char* data, std::size_t n) {
        while (n > 0 && error_ == 0) {
            const ssize_t w = ::write(fd_, data, n);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                error_ = w < 0 ? errno : ENOSPC;
                break;
            }
            data += w;
            n -= static_cast<std::size_t>(w);
        }
        return error_ == 0;
    }

    int fd_;
    int error_ = 0;
    char buffer_[1 << 16];
};

} // namespace

StagedFile::StagedFile(std::string target) : target_(std::move(target)) {}

StagedFile::~StagedFile() {
    discard();
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temp_(std::exchange(other.temp_, {})) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
    }
    return *this;
}

void StagedFile::discard() {
    if (!temp_.empty())
        RemoveFile(temp_);
    temp_.clear();
}

FileResult StagedFile::write(const std::function<bool(std::ostream&)>& write) {
    discard();
    const std::string temp = TemporaryFor(target_);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return FileResult::FromErrno(kWrite, target_, errno);
    int error = 0;
    bool given = false;
    {
        DescriptorBuf buf(fd);
        std::ostream out(&buf);
        given = write(out) && out.flush();
        error = buf.error();
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0 || !given) {
        RemoveFile(temp);
        return error != 0 ? FileResult::FromErrno(kWrite, target_, error)
                          : FileResult::Failed(kWrite, target_, "the content could not be made");
    }
    temp_ = temp;
    return {};
}

FileResult StagedFile::write(std::string_view content) {
    return write([content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return true;
    });
}

FileResult StagedFile::copyOf(const std::string& from) {
    discard();
    std::ifstream in(from, std::ios::binary);
    if (!in)
        return FileResult::FromErrno(FileResult::Action::Read, from, errno);
    int readError = 0;
    FileResult copied = write([&](std::ostream& out) {
        std::vector<char> chunk(1 << 16);
        while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
               in.gcount() > 0) {
            if (!out.write(chunk.data(), in.gcount()))
                return false;
        }
        if (in.bad())
            readError = errno != 0 ? errno : EIO;
        return readError == 0;
    });
    if (readError != 0)
        return FileResult::FromErrno(FileResult::Action::Read, from, readError);
    return copied;
}

FileResult StagedFile::linkTo(const std::string& from) {
    discard();
    const std::string temp = TemporaryFor(target_);
    std::error_code ec;
    fs::create_hard_link(from, temp, ec);
    if (ec) {
        RemoveFile(temp);
        return copyOf(from);
    }
    temp_ = temp;
    return {};
}

FileResult StagedFile::commit() {
    if (temp_.empty())
        return FileResult::Failed(kWrite, target_, "nothing was staged");
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) {
        discard();
        return FileResult::Failed(kWrite, target_, ec);
    }
    temp_.clear();
    return {};
}

FileResult WriteFileAtomically(const std::string& path,
                               const std::function<bool(std::ostream&)>& write) {
    StagedFile staged(path);
    if (FileResult written = staged.write(write); !written)
        return written;
    return staged.commit();
}

FileResult WriteFileAtomically(const std::string& path, std::string_view content) {
    StagedFile staged(path);
    if (FileResult written = staged.write(content); !written)
        return written;
    return staged.commit();
}

FileResult CopyFileOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec))
        return {};
    StagedFile staged(to);
    if (FileResult copied = staged.copyOf(from); !copied)
        return copied;
    return staged.commit();
}

FileResult SnapshotFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::equivalent(from, to, ec))
        return {};
    StagedFile staged(to);
    if (FileResult linked = staged.linkTo(from); !linked)
        return linked;
    return staged.commit();
}

FileResult MoveFileOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec)
        return {};
    if (ec != std::errc::cross_device_link)
        return FileResult::Failed(kWrite, to, ec);
    if (FileResult copied = CopyFileOver(from, to); !copied)
        return copied;
    RemoveFile(from);
    return {};
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
