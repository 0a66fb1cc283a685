#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

bool FileExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be read.
std::int64_t FileSize(const std::string& path);
// Replaces `to` with a copy of `from`, as WriteFileAtomically replaces a file.
bool CopyFileOver(const std::string& from, const std::string& to);
// Makes `to` hold what `from` holds now, for as long as `to` is not written itself. A second
// name for the same bytes where the file system allows it: every write here replaces a file
// rather than writing into it, so later writes of `from` leave the snapshot alone. Elsewhere a
// copy.
bool SnapshotFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
bool CreateFolder(const std::string& path); // with parents; true when it exists afterwards
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces path with content so that no reader ever sees half a file: the bytes go to a
// temporary file in the same folder, which is then renamed over the target. Temporaries of the
// same target older than a minute, left by writers killed before their rename, are removed
// (a folder is looked at on the process's first write into it and then at most once a minute).
bool WriteFileAtomically(const std::string& path, std::string_view content);
// The same with the content streamed by `write`, which returns false to give up (the target
// then stays as it was).
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write);

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
