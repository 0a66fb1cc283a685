#include "app/ProfileStore.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"

#include <sstream>

namespace tw {

namespace {
std::string recordText(const std::string& file, std::string_view section, const char* key) {
    return "File " + file + "\nSect=" + std::string(section) + "\nKey=" + (key ? key : "NULL");
}
} // namespace

void StripTrailingComment(std::string& value) {
    auto cut = value.find("//");
    if (cut == std::string::npos || cut == 0)
        return;
    value.erase(cut);
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    for (char& c : value)
        if (c == '\t')
            c = ' ';
}

int ProfileRecord(const LaunchState& session, std::string_view section, const char* key,
                  std::string& out, int size, const std::string& file, bool quiet) {
    out.clear();
    std::optional<std::string> value;
    if (key)
        value = profile::GetValue(file, section, key);
    // The platform service hands back at most size - 1 characters of the value.
    std::string got = value ? *value : std::string("noo");
    bool fitted = static_cast<long>(got.size()) < static_cast<long>(size) - 2;
    bool present = value && !EqualsNoCase(got, "noo") && size >= 1;
    if (fitted && present) {
        out = std::move(got);
        StripTrailingComment(out);
        return 1;
    }
    if (!fitted)
        Reports(session).ask("Too few room in destination", recordText(file, section, key),
                             Buttons::Ok, Icon::None);
    else if (!quiet)
        Reports(session).ask("Record not found", recordText(file, section, key), Buttons::Ok,
                             Icon::None);
    return 0;
}

std::string ProfileText(const LaunchState& session, std::string_view key, std::string_view section,
                        const std::string& file) {
    std::string k(key), out;
    return ProfileRecord(session, section, k.c_str(), out, 260, file, true) ? out : std::string();
}

int ProfileLongText(const LaunchState& session, std::string_view section, std::string_view key,
                    std::string& out, const std::string& file, bool quiet) {
    auto value = profile::GetValue(file, section, key);
    if (!value || EqualsNoCase(*value, "no")) {
        if (!quiet)
            Reports(session).ask("Record not found",
                                 recordText(file, section, std::string(key).c_str()), Buttons::Ok,
                                 Icon::None);
        return 0;
    }
    out = std::move(*value);
    return 1;
}

double ProfileNumberIn(const LaunchState& session, const std::string& file, std::string_view key,
                       int index, std::string_view section, double def) {
    std::string k(key), text;
    if (!ProfileRecord(session, section, k.c_str(), text, 80, file, true))
        return def;
    std::istringstream in(text);
    double v = def;
    for (int i = 0; i <= index; ++i)
        if (!(in >> v))
            return def;
    return v;
}

bool WriteGeneralSetting(const LaunchState& session, std::string_view key, std::string_view value,
                         std::string_view section) {
    return profile::WriteValue(session, session.generalIni, section, key, value);
}

int CopyProfileSection(const LaunchState& session, std::string_view fromSection,
                       std::string_view toSection, const std::string& fromFile,
                       const std::string& toFile) {
    auto lines = profile::SectionLines(fromFile, fromSection);
    int length = 0;
    for (const auto& l : lines)
        length += static_cast<int>(l.size()) + 1;
    if (length == 0)
        return 0;
    profile::WriteSection(session, toFile, toSection, lines);
    return length;
}

bool WriteProfileKey(const LaunchState& session, std::string_view section, std::string_view key,
                     std::string_view value, const std::string& file) {
    return profile::WriteValue(session, file, section, key, value);
}

bool DeleteProfileKey(const LaunchState& session, std::string_view section, std::string_view key,
                      const std::string& file) {
    return profile::DeleteKey(session, file, section, key);
}

bool DeleteProfileSection(const LaunchState& session, std::string_view section,
                          const std::string& file) {
    return profile::DeleteSection(session, file, section);
}

} // namespace tw
