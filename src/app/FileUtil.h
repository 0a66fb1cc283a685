#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tw {

// The outcome of a file operation: success, or the file that failed and the system's reason
// (std::error_code / errno text, e.g. "No space left on device"), for the caller that knows the
// user to show.
class FileResult {
  public:
    enum class Action { Read, Write };
    FileResult() = default; // success
    static FileResult Failed(Action action, std::string path, std::string reason);
    static FileResult Failed(Action action, std::string path, std::error_code ec);
    static FileResult FromErrno(Action action, std::string path, int error);
    // The user stopped the read or write midway: nothing to report, and nothing was changed.
    static FileResult Cancelled(Action action, std::string path);

    explicit operator bool() const { return ok_; }
    bool ok() const { return ok_; }
    Action action() const { return action_; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return reason_; }
    bool cancelled() const { return cancelled_; }
    // "Unable to write <path>\n<reason>" (or read).
    std::string message() const;

  private:
    bool ok_ = true;
    Action action_ = Action::Write;
    std::string path_;
    std::string reason_;
    bool cancelled_ = false;
};

bool FileExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be read.
std::int64_t FileSize(const std::string& path);
// Replaces `to` with a copy of `from`, as WriteFileAtomically replaces a file.
FileResult CopyFileOver(const std::string& from, const std::string& to);
// Makes `to` hold what `from` holds now, for as long as `to` is not written itself. A second
// name for the same bytes where the file system allows it: every write here replaces a file
// rather than writing into it, so later writes of `from` leave the snapshot alone. Elsewhere a
// copy.
FileResult SnapshotFile(const std::string& from, const std::string& to);
// Renames `from` over `to` (a copy and a removal across file systems).
FileResult MoveFileOver(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool CreateFolder(const std::string& path); // with parents; true when it exists afterwards
std::optional<std::string> ReadWholeFile(const std::string& path);

// A replacement of `target` prepared beside it: a temporary in the target's folder takes the new
// bytes, and only `commit` renames it over the target. Dropped uncommitted (destroyed,
// discarded or replaced), it removes its temporary and leaves the target alone. Staging is also
// the honest test of whether the target's folder can be written.
class StagedFile {
  public:
    StagedFile() = default;
    explicit StagedFile(std::string target);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;

    // The content streamed by `write`, which returns false to give up.
    FileResult write(const std::function<bool(std::ostream&)>& write);
    FileResult write(std::string_view content);
    FileResult copyOf(const std::string& from);
    // A second name for from's bytes (a copy where links are refused).
    FileResult linkTo(const std::string& from);
    FileResult commit();
    void discard();
    bool staged() const { return !temp_.empty(); }
    const std::string& target() const { return target_; }
    const std::string& temporary() const { return temp_; } // "" when nothing is staged

  private:
    std::string target_;
    std::string temp_; // the staged temporary, "" when none
};

// Replaces path with content so that no reader ever sees half a file: the bytes go to a
// temporary file in the same folder, which is then renamed over the target. Temporaries of the
// same target older than a minute, left by writers killed before their rename, are removed
// (a folder is looked at on the process's first write into it and then at most once a minute).
FileResult WriteFileAtomically(const std::string& path, std::string_view content);
// The same with the content streamed by `write`, which returns false to give up (the target
// then stays as it was).
FileResult WriteFileAtomically(const std::string& path,
                               const std::function<bool(std::ostream&)>& write);

// The folder part of a path including its final '/', or "" when there is none.
std::string FolderOf(const std::string& path);
// The path without its folder.
std::string FileNameOf(const std::string& path);
// The extension without its dot ("" when none).
std::string ExtensionOf(const std::string& path);
// The path with its extension (the text after the last '.' of the file name) replaced.
std::string ReplaceExtension(const std::string& path, std::string_view newExtensionWithoutDot);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

} // namespace tw
