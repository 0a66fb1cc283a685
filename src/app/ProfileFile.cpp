#include "app/ProfileFile.h"

#include "app/FileReport.h"
#include "app/FileUtil.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::profile {

namespace {

std::string_view trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

std::string lower(std::string_view s) {
    return ToLower(s);
}

// A value's text after '=', trimmed, without enclosing quotes.
std::string valueOf(std::string_view line) {
    auto eq = line.find('=');
    std::string_view v = trim(line.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string oneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\n' || c == '\r')
            c = ' ';
    return out;
}

} // namespace

class ParsedFile {
  public:
    struct Line {
        std::string text;
        std::string key; // lower-case key name; empty for lines that hold no key
        std::string eol; // the line's own ending; empty only for an unterminated last line
    };
    struct Section {
        std::string header; // the "[name]" line as it stands; empty for the preamble
        std::string headerEol;
        std::string lowerName;
        std::vector<Line> lines;
        bool deleted = false; // left in place: erasing from the front of thousands is quadratic
        mutable std::unordered_map<std::string, size_t> index;
        mutable bool indexed = false;

        const Line* find(const std::string& lowerKey) const {
            if (!indexed) {
                index.clear();
                for (size_t i = 0; i < lines.size(); ++i)
                    if (!lines[i].key.empty())
                        index.emplace(lines[i].key, i); // first occurrence wins
                indexed = true;
            }
            auto it = index.find(lowerKey);
            return it == index.end() ? nullptr : &lines[it->second];
        }
        Line* find(const std::string& lowerKey) {
            return const_cast<Line*>(static_cast<const Section*>(this)->find(lowerKey));
        }
    };

    std::vector<Section> sections; // sections[0] holds the lines before the first section
    // Section names to their places, made at the first lookup: a train of thousands of sections
    // would otherwise cost a scan of them all for every key read.
    mutable std::unordered_map<std::string, size_t> sectionIndex;
    mutable bool sectionsIndexed = false;
    // Some name heads two sections: deleting the first bares the second.
    mutable bool namesRepeat = false;
    std::string eol = "\n"; // the ending of new lines: the one most lines of the file use
    std::string bom;        // a UTF-8 byte-order mark the file begins with, kept on rewrite

    // Every line keeps its own ending, so a file of mixed endings (or with stray CRs) comes back
    // byte for byte except for the lines a rewrite changes.
    static ParsedFile parse(std::string_view text) {
        ParsedFile f;
        f.sections.emplace_back();
        // Many editors begin a UTF-8 file with a byte-order mark; it is no part of the first line.
        constexpr std::string_view kBom = "\xEF\xBB\xBF";
        if (text.substr(0, kBom.size()) == kBom) {
            f.bom = kBom;
            text.remove_prefix(kBom.size());
        }
        size_t pos = 0, crlf = 0, lf = 0;
        while (pos < text.size()) {
            size_t nl = text.find('\n', pos);
            std::string_view raw =
                text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
            pos = nl == std::string_view::npos ? text.size() : nl + 1;
            std::string ending;
            if (nl != std::string_view::npos) {
                if (!raw.empty() && raw.back() == '\r') {
                    raw.remove_suffix(1);
                    ending = "\r\n";
                    ++crlf;
                } else {
                    ending = "\n";
                    ++lf;
                }
            }
            std::string_view t = trim(raw);
            if (!t.empty() && t.front() == '[') {
                Section s;
                s.header = std::string(raw);
                s.headerEol = std::move(ending);
                auto close = t.find(']');
                s.lowerName = lower(trim(t.substr(
                    1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
                f.sections.push_back(std::move(s));
                continue;
            }
            Line line{std::string(raw), {}, std::move(ending)};
            auto eq = t.find('=');
            if (f.sections.size() > 1 && eq != std::string_view::npos)
                line.key = lower(trim(t.substr(0, eq)));
            f.sections.back().lines.push_back(std::move(line));
        }
        if (crlf > lf)
            f.eol = "\r\n";
        return f;
    }

    // An unterminated last line stays so while it is last; a line after it ends it. The ending
    // is stored, so that this parse stays the parse of the bytes written.
    std::string serialize() {
        std::string* pending = nullptr;
        auto follow = [&](std::string& ending) {
            if (pending && pending->empty())
                *pending = eol;
            pending = &ending;
        };
        size_t total = 0;
        for (size_t i = 0; i < sections.size(); ++i) {
            if (sections[i].deleted)
                continue;
            if (i > 0)
                follow(sections[i].headerEol);
            total += sections[i].header.size() + eol.size();
            for (auto& l : sections[i].lines) {
                follow(l.eol);
                total += l.text.size() + eol.size();
            }
        }
        std::string out;
        out.reserve(bom.size() + total);
        out.append(bom);
        for (size_t i = 0; i < sections.size(); ++i) {
            if (sections[i].deleted)
                continue;
            if (i > 0)
                out.append(sections[i].header).append(sections[i].headerEol);
            for (const auto& l : sections[i].lines)
                out.append(l.text).append(l.eol);
        }
        return out;
    }

    const Section* section(std::string_view name) const {
        if (!sectionsIndexed) {
            sectionIndex.clear();
            namesRepeat = false;
            for (size_t i = 1; i < sections.size(); ++i)
                if (!sections[i].deleted) // the first occurrence wins
                    namesRepeat |= !sectionIndex.emplace(sections[i].lowerName, i).second;
            sectionsIndexed = true;
        }
        auto it = sectionIndex.find(lower(trim(name)));
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }
    Section* section(std::string_view name) {
        return const_cast<Section*>(static_cast<const ParsedFile*>(this)->section(name));
    }

    std::optional<std::string> get(std::string_view sectionName, std::string_view key) const {
        const Section* s = section(sectionName);
        if (!s)
            return std::nullopt;
        const Line* l = s->find(lower(trim(key)));
        if (!l)
            return std::nullopt;
        return valueOf(l->text);
    }

    std::vector<std::pair<std::string, std::string>> entries(std::string_view sectionName) const {
        std::vector<std::pair<std::string, std::string>> out;
        if (const Section* s = section(sectionName))
            for (const auto& l : s->lines)
                if (!l.key.empty()) {
                    std::string_view t = trim(l.text);
                    out.emplace_back(std::string(trim(t.substr(0, t.find('=')))), valueOf(t));
                }
        return out;
    }

    std::vector<std::string> lines(std::string_view sectionName) const {
        std::vector<std::string> out;
        if (const Section* s = section(sectionName))
            for (const auto& l : s->lines)
                if (!l.key.empty())
                    out.emplace_back(trim(l.text));
        return out;
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (size_t i = 1; i < sections.size(); ++i) {
            if (sections[i].deleted)
                continue;
            std::string_view t = trim(sections[i].header);
            auto close = t.find(']');
            out.emplace_back(trim(
                t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
        }
        return out;
    }

    Section& sectionForWrite(std::string_view name) {
        if (Section* s = section(name))
            return *s;
        Section s;
        s.header = "[" + std::string(trim(name)) + "]";
        s.headerEol = eol;
        s.lowerName = lower(trim(name));
        sections.push_back(std::move(s));
        if (sectionsIndexed)
            sectionIndex.emplace(sections.back().lowerName, sections.size() - 1);
        return sections.back();
    }

    void write(std::string_view sectionName, std::string_view key, std::string_view value) {
        Section& s = sectionForWrite(sectionName);
        std::string lk = lower(trim(key));
        if (Line* l = s.find(lk)) {
            std::string_view t = trim(l->text);
            l->text = std::string(trim(t.substr(0, t.find('=')))) + "=" + oneLine(value);
            return;
        }
        // New keys go after the section's last non-blank line, as the platform service does.
        size_t at = s.lines.size();
        while (at > 0 && trim(s.lines[at - 1].text).empty())
            --at;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at),
                       Line{std::string(trim(key)) + "=" + oneLine(value), lk, eol});
        if (at + 1 == s.lines.size() && s.indexed)
            s.index.emplace(lk, at);
        else
            s.indexed = false;
    }

    bool deleteKey(std::string_view sectionName, std::string_view key) {
        Section* s = section(sectionName);
        if (!s)
            return false;
        std::string lk = lower(trim(key));
        for (auto it = s->lines.begin(); it != s->lines.end(); ++it)
            if (it->key == lk) {
                s->lines.erase(it);
                s->indexed = false;
                return true;
            }
        return false;
    }

    bool deleteSection(std::string_view sectionName) {
        Section* s = section(sectionName);
        if (!s)
            return false;
        s->deleted = true;
        s->lines.clear();
        s->index.clear();
        if (namesRepeat)
            sectionsIndexed = false;
        else
            sectionIndex.erase(s->lowerName);
        return true;
    }

    void writeSection(std::string_view sectionName, const std::vector<std::string>& lines) {
        Section& s = sectionForWrite(sectionName);
        s.lines.clear();
        s.indexed = false;
        for (const auto& text : lines) {
            std::string_view t = trim(text);
            if (t.empty())
                continue;
            auto eq = t.find('=');
            s.lines.push_back(Line{
                oneLine(t),
                eq == std::string_view::npos ? std::string() : lower(trim(t.substr(0, eq))), eol});
        }
    }
};

namespace {

struct CacheEntry {
    std::shared_ptr<ParsedFile> parsed;
    std::string text; // the bytes the parse came from
};

std::mutex cacheMutex;
std::unordered_map<std::string, CacheEntry> cache;
std::atomic<std::uint64_t> rewrites{0};

// The parsed file for reading. The bytes are read every time: the host rewrites the file from
// its own process, and within one tick of the file system's clock a rewrite of the same size
// leaves time and size as they were. Only the parse is saved when the bytes are unchanged.
std::shared_ptr<const ParsedFile> parsedForRead(const std::string& file) {
    auto text = ReadWholeFile(file);
    std::lock_guard<std::mutex> guard(cacheMutex);
    if (!text) {
        cache.erase(file);
        return std::make_shared<ParsedFile>(ParsedFile::parse(""));
    }
    auto it = cache.find(file);
    if (it != cache.end() && it->second.text == *text)
        return it->second.parsed;
    CacheEntry entry;
    entry.text = std::move(*text);
    entry.parsed = std::make_shared<ParsedFile>(ParsedFile::parse(entry.text));
    auto parsed = entry.parsed;
    cache[file] = std::move(entry);
    return parsed;
}

// Writers without a session (tests' set-up, the fuzzer) have nobody to ask: an unnamed session's
// reporter is standard error.
const LaunchState& unnamedSession() {
    static const LaunchState unnamed;
    return unnamed;
}

// A failed rewrite is shown once until that file is written again: the title is published at
// every repaint, and a box per repaint would bury the user.
void noteWriteOutcome(const LaunchState* session, const std::string& file,
                      const FileResult& written) {
    static std::mutex mutex;
    static std::unordered_set<std::string> failing;
    bool show = false;
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (written)
            failing.erase(file);
        else
            show = failing.insert(file).second;
    }
    const LaunchState& reportTo = session ? *session : unnamedSession();
    if (show)
        ReportFileFailure(Reports(reportTo), reportTo.appName, written);
}

std::string lockPathOf(const std::string& file) {
    return file + ".lock";
}

// An advisory lock on "<file>.lock": the system drops it when its holder dies, so a killed
// writer never blocks the next one. The holder unlinks the lock file before it lets go; a
// waiter that then gets the lock on the unlinked file notices and opens the new one.
int acquireLock(const std::string& file) {
    const std::string lockPath = lockPathOf(file);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int attempt = 0;; ++attempt) {
        int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return -1; // no folder: the write itself will fail and report
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat held, named;
            if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
                held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
                // The holder's process id, for people looking at the folder.
                std::string pid = std::to_string(::getpid());
                if (::ftruncate(fd, 0) == 0) {
                    [[maybe_unused]] ssize_t written = ::write(fd, pid.data(), pid.size());
                }
                return fd;
            }
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() > deadline)
            return -1; // never hang the user interface on a foreign lock
        std::this_thread::sleep_for(std::chrono::microseconds(attempt < 20 ? 50 : 500));
    }
}

void releaseLock(const std::string& file, int fd) {
    ::unlink(lockPathOf(file).c_str());
    ::close(fd);
}

} // namespace

std::optional<std::string> GetValue(const std::string& file, std::string_view section,
                                    std::string_view key) {
    return parsedForRead(file)->get(section, key);
}

std::vector<std::string> SectionLines(const std::string& file, std::string_view section) {
    return parsedForRead(file)->lines(section);
}

std::vector<std::pair<std::string, std::string>> SectionEntries(const std::string& file,
                                                                std::string_view section) {
    return parsedForRead(file)->entries(section);
}

std::vector<std::string> SectionNames(const std::string& file) {
    return parsedForRead(file)->names();
}

bool WriteValue(const LaunchState& session, const std::string& file, std::string_view section,
                std::string_view key, std::string_view value) {
    Transaction t(session, file);
    t.write(section, key, value);
    return t.commit();
}

bool DeleteKey(const LaunchState& session, const std::string& file, std::string_view section,
               std::string_view key) {
    Transaction t(session, file);
    t.deleteKey(section, key);
    return t.commit();
}

bool DeleteSection(const LaunchState& session, const std::string& file, std::string_view section) {
    Transaction t(session, file);
    t.deleteSection(section);
    return t.commit();
}

bool WriteSection(const LaunchState& session, const std::string& file, std::string_view section,
                  const std::vector<std::string>& lines) {
    Transaction t(session, file);
    t.writeSection(section, lines);
    return t.commit();
}

bool WriteValue(const std::string& file, std::string_view section, std::string_view key,
                std::string_view value) {
    return WriteValue(unnamedSession(), file, section, key, value);
}

bool DeleteKey(const std::string& file, std::string_view section, std::string_view key) {
    return DeleteKey(unnamedSession(), file, section, key);
}

bool WriteSection(const std::string& file, std::string_view section,
                  const std::vector<std::string>& lines) {
    return WriteSection(unnamedSession(), file, section, lines);
}

std::uint64_t RewriteCount() {
    return rewrites.load();
}

void ClearCache() {
    std::lock_guard<std::mutex> guard(cacheMutex);
    cache.clear();
}

Snapshot::Snapshot(const std::string& file) : parsed_(parsedForRead(file)) {}
Snapshot::~Snapshot() = default;
Snapshot::Snapshot(Snapshot&&) noexcept = default;

std::optional<std::string> Snapshot::get(std::string_view section, std::string_view key) const {
    return parsed_->get(section, key);
}
std::vector<std::pair<std::string, std::string>> Snapshot::entries(std::string_view section) const {
    return parsed_->entries(section);
}
std::vector<std::string> Snapshot::sectionNames() const {
    return parsed_->names();
}

Transaction::Transaction(const LaunchState& session, std::string file)
    : Transaction(std::move(file)) {
    session_ = &session;
}

Transaction::Transaction(std::string file) : file_(std::move(file)) {
    lockFd_ = acquireLock(file_);
    // Under the lock, trust the cache only if the bytes on disk are the ones it was made from.
    std::string text = ReadWholeFile(file_).value_or(std::string());
    std::lock_guard<std::mutex> guard(cacheMutex);
    auto it = cache.find(file_);
    if (it != cache.end() && it->second.text == text) {
        if (it->second.parsed.use_count() == 1)
            parsed_ = std::make_unique<ParsedFile>(std::move(*it->second.parsed));
        else
            parsed_ = std::make_unique<ParsedFile>(*it->second.parsed);
        cache.erase(it);
    } else {
        if (it != cache.end())
            cache.erase(it);
        parsed_ = std::make_unique<ParsedFile>(ParsedFile::parse(text));
    }
}

Transaction::~Transaction() {
    if (lockFd_ >= 0)
        releaseLock(file_, lockFd_);
}

std::optional<std::string> Transaction::get(std::string_view section, std::string_view key) const {
    return parsed_->get(section, key);
}
std::vector<std::pair<std::string, std::string>>
Transaction::entries(std::string_view section) const {
    return parsed_->entries(section);
}
void Transaction::write(std::string_view section, std::string_view key, std::string_view value) {
    parsed_->write(section, key, value);
    changed_ = true;
}
void Transaction::deleteKey(std::string_view section, std::string_view key) {
    changed_ |= parsed_->deleteKey(section, key);
}
void Transaction::deleteSection(std::string_view section) {
    changed_ |= parsed_->deleteSection(section);
}
void Transaction::writeSection(std::string_view section, const std::vector<std::string>& lines) {
    parsed_->writeSection(section, lines);
    changed_ = true;
}

bool Transaction::commit() {
    if (!parsed_)
        return false; // already committed
    if (!changed_)
        return true;
    CacheEntry entry;
    entry.text = parsed_->serialize();
    const FileResult written = WriteFileAtomically(file_, entry.text);
    if (!written && lockFd_ >= 0) {
        // The user may take a while with the message; the host must not wait for our lock.
        releaseLock(file_, lockFd_);
        lockFd_ = -1;
    }
    noteWriteOutcome(session_, file_, written);
    if (!written)
        return false;
    ++rewrites;
    changed_ = false;
    std::lock_guard<std::mutex> guard(cacheMutex);
    entry.parsed = std::make_shared<ParsedFile>(std::move(*parsed_));
    cache[file_] = std::move(entry);
    parsed_.reset(); // a transaction commits once
    return true;
}

} // namespace tw::profile
