#pragma once
#include "app/LaunchState.h"

#include <string>
#include <string_view>

namespace tw {

// Callers that must tell an absent number from a real one pass this as the default.
inline constexpr double kAbsent = -1.1e+61;
inline bool IsAbsent(double v) {
    return v == kAbsent;
}

// Reads and writes tell the user through the session's reporter (Reports(session)).

// Reads section/key of file into out, as if into a buffer of `size` characters.
// Returns 1 when the key is present and its value fitted (length <= size - 3), else 0.
// Reports "Record not found" for an absent key unless quiet, and "Too few room in destination"
// for a value that did not fit, even when quiet. Trailing "//" comments are stripped.
// A null key is reported as "NULL".
int ProfileRecord(const LaunchState& session, std::string_view section, const char* key,
                  std::string& out, int size, const std::string& file, bool quiet);

// The value, or "" when absent or longer than 257 characters; always quiet.
std::string ProfileText(const LaunchState& session, std::string_view key, std::string_view section,
                        const std::string& file);

// A value of any length; 1 when present ("no" in any case counts as absent), else 0.
int ProfileLongText(const LaunchState& session, std::string_view section, std::string_view key,
                    std::string& out, const std::string& file, bool quiet);

// The number at position index of the blank-separated list under section/key of the file; the
// default when the key is absent or the list is shorter (quiet, 80-character buffer).
double ProfileNumberIn(const LaunchState& session, const std::string& file, std::string_view key,
                       int index, std::string_view section, double def);

// Writes one key of the session's general settings file.
bool WriteGeneralSetting(const LaunchState& session, std::string_view key, std::string_view value,
                         std::string_view section);

// Copies every line of a section to another file under a new name. Returns the length read;
// 0 when the section is empty or missing, in which case nothing is written.
int CopyProfileSection(const LaunchState& session, std::string_view fromSection,
                       std::string_view toSection, const std::string& fromFile,
                       const std::string& toFile);

// The service's writes: a key, the deletion of a key, the deletion of a whole section.
bool WriteProfileKey(const LaunchState& session, std::string_view section, std::string_view key,
                     std::string_view value, const std::string& file);
bool DeleteProfileKey(const LaunchState& session, std::string_view section, std::string_view key,
                      const std::string& file);
bool DeleteProfileSection(const LaunchState& session, std::string_view section,
                          const std::string& file);

// The store's comment rule: cut at "//" (not at the first character), drop blanks before the
// cut, then turn tabs into blanks in such a value only.
void StripTrailingComment(std::string& value);

} // namespace tw
