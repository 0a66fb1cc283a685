// Arbitrary bytes as a profile file: every reader must cope, and one write must change exactly
// the key written, keep every other section and key as it was, and read back as written.
// The first byte picks the section and key to write; the rest is the file.
#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "support/FuzzSupport.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tw;
using fuzz::Check;
using Entries = std::vector<std::pair<std::string, std::string>>;

// Entries of every section by lower-case name; a repeated name reads as its first section.
std::map<std::string, Entries> Picture(const std::string& file) {
    profile::Snapshot snap(file);
    std::map<std::string, Entries> out;
    for (const auto& name : snap.sectionNames())
        out.emplace(ToLower(name), snap.entries(name));
    return out;
}

// What entries must become when key gets value: the first entry of that key changes in place,
// or a new one is appended.
Entries Expected(Entries entries, const std::string& key, const std::string& value) {
    for (auto& [k, v] : entries)
        if (EqualsNoCase(k, key)) {
            v = value;
            return entries;
        }
    entries.emplace_back(key, value);
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LaunchState session;
    session.reports = &fuzz::InstallSilentPrompter();
    if (size < 1)
        return 0;
    const std::uint8_t pick = data[0];
    const std::string file = fuzz::ScratchFolder("tw-profile-fuzz") + "p.ini";
    fuzz::WriteBytes(file, fuzz::AsText(data + 1, size - 1));
    RemoveFile(file + ".lock");
    profile::ClearCache();

    const auto before = Picture(file);
    std::vector<std::string> names = profile::SectionNames(file);
    std::string section = "FuzzSect";
    std::string key = "FuzzKey";
    if (!names.empty() && (pick & 1)) {
        section = names[(pick >> 1) % names.size()];
        Entries entries = profile::SectionEntries(file, section);
        if (!entries.empty() && (pick & 0x80))
            key = entries[(pick >> 1) % entries.size()].first;
    }

    // The readers of the store over whatever is there.
    std::string out;
    ProfileRecord(session, section, key.c_str(), out, 40, file, true);
    ProfileLongText(session, section, key, out, file, true);
    ProfileNumberIn(session, file, key, pick % 4, section, kAbsent);
    for (const auto& name : names)
        for (const auto& [k, v] : profile::SectionEntries(file, name)) {
            ProfileRecord(session, name, k.c_str(), out, 260, file, true);
            ProfileNumberIn(session, file, k, 1, name, kAbsent);
        }

    const std::string value = "v" + std::to_string(size) + "-" + std::to_string(pick);
    Check(profile::WriteValue(file, section, key, value));
    Check(profile::GetValue(file, section, key) == value);
    profile::ClearCache(); // the same answer from the bytes on disk, not from the cache
    Check(profile::GetValue(file, section, key) == value);

    auto after = Picture(file);
    const std::string target = ToLower(section);
    for (const auto& [name, entries] : before)
        if (name != target)
            Check(after[name] == entries);
    auto old = before.find(target);
    Check(after[target] == Expected(old == before.end() ? Entries{} : old->second, key, value));

    // The same write again leaves the bytes as they are.
    const std::string once = ReadWholeFile(file).value_or("");
    Check(profile::WriteValue(file, section, key, value));
    Check(ReadWholeFile(file).value_or("") == once);

    // Deleting the key leaves the other sections alone.
    Check(profile::DeleteKey(file, section, key));
    after = Picture(file);
    for (const auto& [name, entries] : before)
        if (name != target)
            Check(after[name] == entries);
    return 0;
}
