#pragma once
#include "app/LaunchState.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// Our profile-string service: sectioned key=value text files shared with the host.
// Section and key names match without regard to case; a value is the text after '=' without
// surrounding blanks and enclosing quotes. Rewrites keep every other line, comment and order,
// and replace the file atomically so the host never reads half a file. Writers lock the file
// "<file>.lock" around read-modify-write, so writes from two processes are not lost. A failed
// rewrite is told through the reporter of the session the write was handed (Reports), once until
// that file is written again.
namespace profile {

std::optional<std::string> GetValue(const std::string& file, std::string_view section,
                                    std::string_view key);
// The key=value lines of a section in file order (as written: "key=value", trimmed).
std::vector<std::string> SectionLines(const std::string& file, std::string_view section);
std::vector<std::pair<std::string, std::string>> SectionEntries(const std::string& file,
                                                                std::string_view section);
std::vector<std::string> SectionNames(const std::string& file);

bool WriteValue(const LaunchState& session, const std::string& file, std::string_view section,
                std::string_view key, std::string_view value);
bool DeleteKey(const LaunchState& session, const std::string& file, std::string_view section,
               std::string_view key);
bool DeleteSection(const LaunchState& session, const std::string& file, std::string_view section);
// Replaces the whole section by the given "key=value" lines (creating it when missing).
bool WriteSection(const LaunchState& session, const std::string& file, std::string_view section,
                  const std::vector<std::string>& lines);
// The same for writers not handed a session (tests' set-up, the fuzzer): a failed rewrite goes to
// standard error.
bool WriteValue(const std::string& file, std::string_view section, std::string_view key,
                std::string_view value);
bool DeleteKey(const std::string& file, std::string_view section, std::string_view key);
bool WriteSection(const std::string& file, std::string_view section,
                  const std::vector<std::string>& lines);

// Forgets cached file contents (tests that write files behind the service's back).
void ClearCache();

// How many times this process has rewritten a profile file, so that tests can bound the
// rewrites one command makes.
std::uint64_t RewriteCount();

class ParsedFile;

// A read-only picture of a file taken once, for callers that read many keys in a row.
class Snapshot {
  public:
    explicit Snapshot(const std::string& file);
    ~Snapshot();
    Snapshot(Snapshot&&) noexcept;
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
    std::vector<std::string> sectionNames() const;

  private:
    std::shared_ptr<const ParsedFile> parsed_;
};

// Several changes made as one locked read-modify-write and one atomic rewrite.
class Transaction {
  public:
    Transaction(const LaunchState& session, std::string file);
    explicit Transaction(std::string file); // not handed a session, as above
    ~Transaction();                         // releases the lock; uncommitted changes are dropped
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
    void write(std::string_view section, std::string_view key, std::string_view value);
    void deleteKey(std::string_view section, std::string_view key);
    void deleteSection(std::string_view section);
    void writeSection(std::string_view section, const std::vector<std::string>& lines);
    bool commit();

  private:
    const LaunchState* session_ = nullptr; // whose reporter tells a failed rewrite
    std::string file_;
    std::unique_ptr<ParsedFile> parsed_;
    int lockFd_ = -1; // the held lock file, -1 when none could be had
    bool changed_ = false;
};

} // namespace profile
} // namespace tw
