#include "document/EditJournal.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {
namespace {

constexpr auto kWrite = FileResult::Action::Write;
constexpr char kMagic[8] = {'T', 'W', 'P', 'A', 'T', 'C', 'H', '1'};
constexpr char kEnd[8] = {'T', 'W', 'E', 'N', 'D', 0, 0, 0};
// A longer target path is not one of ours: refused before it sizes anything. The old bytes are
// bounded by the journal's own length.
constexpr std::uint64_t kMaxTarget = 4096;

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t n, std::uint64_t at) {
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
        at += static_cast<std::uint64_t>(w);
    }
    return true;
}

bool ReadAll(int fd, char* data, std::size_t n, std::uint64_t at) {
    while (n > 0) {
        const ssize_t r = ::pread(fd, data, n, static_cast<off_t>(at));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            if (r == 0)
                errno = EIO; // shorter than it says
            return false;
        }
        data += r;
        n -= static_cast<std::size_t>(r);
        at += static_cast<std::uint64_t>(r);
    }
    return true;
}

std::array<std::uint64_t, 7> Header(const FilePatch& p) {
    return {p.device, p.inode,         p.oldLength,    p.newLength,
            p.offset, p.target.size(), p.before.size()};
}

std::uint64_t Fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    return hash;
}

constexpr std::uint64_t kFnvBasis = 14695981039346656037u;

// The patch in path, flushed to the disk before anything is written on its word. A write cut
// off leaves a file that ReadPatchFile refuses: short, or with a hash that does not match (the
// disk may keep the end of a file and lose its middle).
FileResult WritePatchFile(const std::string& path, const FilePatch& p) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.ok())
        return FileResult::FromErrno(kWrite, path, errno);
    const auto header = Header(p);
    std::string head(kMagic, sizeof kMagic);
    head.append(reinterpret_cast<const char*>(header.data()), sizeof header);
    head += p.target;
    const std::uint64_t hash = Fnv1a(Fnv1a(kFnvBasis, head), p.before);
    std::string tail(reinterpret_cast<const char*>(&hash), sizeof hash);
    tail.append(kEnd, sizeof kEnd);
    const bool ok = WriteAll(fd.get(), head.data(), head.size(), 0) &&
                    WriteAll(fd.get(), p.before.data(), p.before.size(), head.size()) &&
                    WriteAll(fd.get(), tail.data(), tail.size(), head.size() + p.before.size()) &&
                    ::fdatasync(fd.get()) == 0;
    const int error = errno;
    if (!ok || ::close(fd.release()) != 0) {
        const int failed = ok ? errno : error;
        RemoveFile(path);
        return FileResult::FromErrno(kWrite, path, failed);
    }
    return {};
}

// The patch in path; its old bytes (and the check of its hash) only withBefore. Nothing for a
// missing or partial file.
std::optional<FilePatch> ReadPatchFile(const std::string& path, bool withBefore) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0)
        return std::nullopt;
    std::string head(sizeof kMagic + 7 * sizeof(std::uint64_t), '\0');
    std::array<std::uint64_t, 7> h{};
    if (!ReadAll(fd.get(), head.data(), head.size(), 0) ||
        std::memcmp(head.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    std::memcpy(h.data(), head.data() + sizeof kMagic, sizeof h);
    if (h[5] > kMaxTarget)
        return std::nullopt;
    const std::uint64_t beforeAt = head.size() + h[5];
    std::uint64_t tail[2] = {};
    if (static_cast<std::uint64_t>(st.st_size) != beforeAt + h[6] + sizeof tail ||
        !ReadAll(fd.get(), reinterpret_cast<char*>(tail), sizeof tail, beforeAt + h[6]) ||
        std::memcmp(&tail[1], kEnd, sizeof kEnd) != 0)
        return std::nullopt;
    FilePatch p{std::string(h[5], '\0'), h[0], h[1], h[2], h[3], h[4], {}};
    if (!ReadAll(fd.get(), p.target.data(), p.target.size(), head.size()))
        return std::nullopt;
    if (withBefore) {
        p.before.resize(h[6]);
        if (!ReadAll(fd.get(), p.before.data(), p.before.size(), beforeAt) ||
            Fnv1a(Fnv1a(Fnv1a(kFnvBasis, head), p.target), p.before) != tail[0])
            return std::nullopt;
    }
    return p;
}

// Whether path is the file p was made of, as p's change left it.
bool IsPatchedFile(const FilePatch& p, const std::string& path, bool afterChange) {
    struct stat st {};
    return p.target == path && ::stat(path.c_str(), &st) == 0 &&
           static_cast<std::uint64_t>(st.st_dev) == p.device &&
           static_cast<std::uint64_t>(st.st_ino) == p.inode &&
           (!afterChange || static_cast<std::uint64_t>(st.st_size) == p.newLength);
}

FileResult ApplyPatch(const FilePatch& p, const std::string& path) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.ok() || ::ftruncate(fd.get(), static_cast<off_t>(p.oldLength)) != 0 ||
        !WriteAll(fd.get(), p.before.data(), p.before.size(), p.offset))
        return FileResult::FromErrno(kWrite, path, errno);
    return {};
}

// Finishes what the journal in path says (a rollback or an Undo) and removes it.
void Replay(const std::string& path) {
    if (auto p = ReadPatchFile(path, true); p && IsPatchedFile(*p, p->target, false))
        if (!ApplyPatch(*p, p->target))
            return; // kept for the next open
    RemoveFile(path);
}

// A record of a replacement under way: the target, the identity its new file will have, the
// staged new file and the staged undo file, one a line, then "end" (a record cut short has none).
constexpr std::string_view kReplaceMagic = "TWREPLACE1";
constexpr std::uint64_t kMaxRecord = 4 * kMaxTarget + 128;

FileResult WriteFlushed(const std::string& path, std::string_view content) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.ok() || !WriteAll(fd.get(), content.data(), content.size(), 0) ||
        ::fdatasync(fd.get()) != 0 || ::close(fd.release()) != 0) {
        const int error = errno;
        RemoveFile(path);
        return FileResult::FromErrno(kWrite, path, error);
    }
    return {};
}

struct Identity {
    std::uint64_t device = 0, inode = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return Identity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Removes path, an undo file that may hold a whole wave: the file system takes a while to free
// a large one, so that is renamed out of the way at once and removed by a thread of its own. A kill
// leaves it to the next document's sweep of the undo file's staged names.
void RemoveSoon(const std::string& path) {
    constexpr std::int64_t kLarge = 64 << 20;
    if (FileSize(path) < kLarge) {
        RemoveFile(path);
        return;
    }
    static std::atomic<unsigned> counter{0};
    const std::string doomed =
        path + ".~twold-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    if (std::rename(path.c_str(), doomed.c_str()) != 0) {
        RemoveFile(path);
        return;
    }
    std::thread([doomed] { RemoveFile(doomed); }).detach();
}

} // namespace

EditJournal::EditJournal(std::string undoFile)
    : undoFile_(std::move(undoFile)), pending_(undoFile_ + ".pending"),
      delta_(undoFile_ + ".delta"), undoing_(undoFile_ + ".undoing"),
      replacing_(undoFile_ + ".replacing") {}

FileResult EditJournal::Replace(StagedFile& next, StagedFile& undo, FileResult& undoKept) const {
    const std::optional<Identity> id = IdentityOf(next.temporary());
    if (!id)
        return FileResult::FromErrno(kWrite, next.target(), errno);
    const std::string record = std::string(kReplaceMagic) + "\n" + next.target() + "\n" +
                               std::to_string(id->device) + " " + std::to_string(id->inode) + "\n" +
                               next.temporary() + "\n" + undo.temporary() + "\nend\n";
    if (FileResult journaled = WriteFlushed(replacing_, record); !journaled)
        return FileResult::Failed(kWrite, next.target(), journaled.error());
    if (FileResult replaced = next.commit(); !replaced) {
        RemoveFile(replacing_);
        return replaced;
    }
    undoKept = undo.commit();
    if (!undoKept)
        RemoveFile(undoFile_); // an older undo file would give back the wrong points
    RemoveFile(replacing_);
    DropUndo(); // a patch of the replaced file
    return {};
}

// A replacement cut off: finished when its target was renamed, else undone.
void EditJournal::FinishReplace() const {
    std::ifstream in(replacing_, std::ios::binary);
    std::string text(kMaxRecord, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    std::istringstream lines(text);
    std::string magic, target, next, undo, end;
    Identity id;
    std::string ids;
    if (std::getline(lines, magic) && magic == kReplaceMagic && std::getline(lines, target) &&
        std::getline(lines, ids) && std::getline(lines, next) && std::getline(lines, undo) &&
        std::getline(lines, end) && end == "end" &&
        std::sscanf(ids.c_str(), "%" SCNu64 " %" SCNu64, &id.device, &id.inode) == 2) {
        if (IdentityOf(target) == id) {
            if (!undo.empty() && FileExists(undo) &&
                std::rename(undo.c_str(), undoFile_.c_str()) != 0)
                RemoveFile(undoFile_);
        } else {
            RemoveFile(next);
            RemoveFile(undo);
        }
    }
    RemoveFile(replacing_);
}

void EditJournal::Recover() const {
    FinishReplace();
    Replay(pending_);
    Replay(undoing_);
    // An undo snapshot staged by a killed process ("<undo>.~tw<process>-<n>") is a second name
    // of a working file, which would keep every later edit from being written in place.
    const std::string staged = FileNameOf(undoFile_) + ".~tw";
    std::error_code ec;
    const std::string folder = FolderOf(undoFile_);
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end;
         !ec && it != end; it.increment(ec))
        if (it->path().filename().string().rfind(staged, 0) == 0)
            RemoveFile(it->path().string());
    // A valid delta is newer than an undo file beside it (a kill between the two steps of a
    // write); one whose file was replaced since is older.
    if (const auto p = ReadPatchFile(delta_, false); p && IsPatchedFile(*p, p->target, true))
        RemoveFile(undoFile_);
    else
        DropUndo();
}

FileResult EditJournal::Write(const std::string& target, std::uint64_t offset,
                              std::span<const char> bytes, std::uint64_t newLength,
                              bool keepAsUndo) const {
    if (!keepAsUndo && HoldsUndoOf(target))
        if (FileResult made = MakeUndoFile(target); !made)
            return made;
    Fd fd(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0)
        return FileResult::FromErrno(kWrite, target, errno);
    FilePatch p{target,
                static_cast<std::uint64_t>(st.st_dev),
                static_cast<std::uint64_t>(st.st_ino),
                static_cast<std::uint64_t>(st.st_size),
                newLength,
                offset,
                {}};
    const std::uint64_t oldEnd =
        std::min(p.oldLength, newLength == p.oldLength ? offset + bytes.size() : p.oldLength);
    if (oldEnd > offset) {
        p.before.resize(oldEnd - offset);
        if (!ReadAll(fd.get(), p.before.data(), p.before.size(), offset))
            return FileResult::FromErrno(FileResult::Action::Read, target, errno);
    }
    // A failed journal is reported as the working file's: its write could not be made safe.
    if (FileResult journaled = WritePatchFile(pending_, p); !journaled)
        return FileResult::Failed(kWrite, target, journaled.error());
    if (!WriteAll(fd.get(), bytes.data(), bytes.size(), offset) ||
        (newLength != p.oldLength && ::ftruncate(fd.get(), static_cast<off_t>(newLength)) != 0)) {
        const int error = errno;
        if (ApplyPatch(p, target))
            RemoveFile(pending_); // else the next open rolls it back
        return FileResult::FromErrno(kWrite, target, error);
    }
    if (!keepAsUndo) {
        RemoveFile(pending_);
        return {};
    }
    if (std::rename(pending_.c_str(), delta_.c_str()) != 0) {
        RemoveFile(pending_);
        DropUndo();
    }
    RemoveSoon(undoFile_);
    return {};
}

bool EditJournal::CanWriteInPlace(const std::string& target, std::uint64_t length,
                                  const std::string& alsoNamed) {
    struct stat st {
    }, other{};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) != length)
        return false;
    if (st.st_nlink == 1)
        return true;
    return st.st_nlink == 2 && !alsoNamed.empty() && ::stat(alsoNamed.c_str(), &other) == 0 &&
           other.st_ino == st.st_ino && other.st_dev == st.st_dev;
}

bool EditJournal::HoldsUndoOf(const std::string& target) const {
    const auto p = ReadPatchFile(delta_, false);
    return p && IsPatchedFile(*p, target, true);
}

std::optional<FilePatch> EditJournal::Undo(const std::string& target, FileResult& result) const {
    if (!HoldsUndoOf(target) || std::rename(delta_.c_str(), undoing_.c_str()) != 0)
        return std::nullopt;
    auto p = ReadPatchFile(undoing_, true);
    if (!p)
        return std::nullopt;
    result = ApplyPatch(*p, target);
    if (!result)
        return std::nullopt; // the next open finishes it
    RemoveFile(undoing_);
    return p;
}

FileResult EditJournal::MakeUndoFile(const std::string& target) const {
    const auto p = ReadPatchFile(delta_, true);
    if (!p || !IsPatchedFile(*p, target, true))
        return {};
    StagedFile staged(undoFile_);
    if (FileResult copied = staged.copyOf(target); !copied)
        return copied;
    if (FileResult patched = ApplyPatch(*p, staged.temporary()); !patched)
        return FileResult::Failed(kWrite, undoFile_, patched.error());
    if (FileResult committed = staged.commit(); !committed)
        return committed;
    DropUndo();
    return {};
}

void EditJournal::DropUndo() const {
    RemoveFile(delta_);
}

} // namespace tw
