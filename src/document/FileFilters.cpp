#include "document/FileFilters.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"

#include <array>

namespace tw {

namespace {

constexpr std::array<std::string_view, 8> kStandardExtensions{"wav",  "asc", "csv", "0",
                                                              "pwav", "trc", "prn", "txt"};
constexpr std::array<std::string_view, 2> kFmExtensions{"wvf", "asf"};
constexpr std::array<std::string_view, 2> kFpSegExtensions{"wfp", "afp"};

constexpr std::string_view kStandardOpen =
    "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma delimited(*csv)|*.csv|"
    "LeCroy  format (*.0* )|*.0*|LeCroy  format (*.trc )|*.trc|Space delimited(*.prn)|*.prn|"
    "Comma delimited(*txt)|*.txt||";
constexpr std::string_view kStandardSave =
    "Binary   (*.wav)|*.wav|ASCII -space delimited (*.asc)|*.asc|Comma delimited(*csv)|*.csv|"
    "Positive format (16-bit only) (*.pwav )|*.pwav||";
constexpr std::string_view kFmFilter =
    "Binary   (*.wvf)|*.wvf|ASCII -space delimited (*.asf)|*.asf||";
constexpr std::string_view kFpSegFilter =
    "Binary   (*.wfp)|*.wfp|ASCII -space delimited (*.afp)|*.afp||";

const FormatTable kStandardTable{kStandardOpen, kStandardSave, kStandardExtensions};
const FormatTable kFmTable{kFmFilter, kFmFilter, kFmExtensions};
const FormatTable kFpSegTable{kFpSegFilter, kFpSegFilter, kFpSegExtensions};

} // namespace

const FormatTable& FormatTableFor(int composerId, bool fpSegMode) {
    if (composerId != kFmComposer)
        return kStandardTable;
    return fpSegMode ? kFpSegTable : kFmTable;
}

const FormatTable& CurrentFormatTable() {
    return FormatTableFor(launch().composerId, launch().fpSegMode);
}

std::string_view FileFilter(const FormatTable& table, DialogKind kind) {
    return kind == DialogKind::Open ? table.openFilter : table.saveFilter;
}

std::vector<FilterEntry> ParseFilter(std::string_view filter) {
    std::vector<FilterEntry> entries;
    while (!filter.empty()) {
        auto bar = filter.find('|');
        if (bar == 0 || bar == std::string_view::npos)
            break; // the closing "||"
        std::string display(filter.substr(0, bar));
        filter.remove_prefix(bar + 1);
        bar = filter.find('|');
        std::string pattern(filter.substr(0, bar));
        filter.remove_prefix(bar == std::string_view::npos ? filter.size() : bar + 1);
        entries.push_back({std::move(display), std::move(pattern)});
    }
    return entries;
}

int FormatCodeOfExtension(std::string_view extension, const FormatTable& table) {
    for (std::size_t i = 0; i < table.extensions.size(); ++i)
        if (StartsWithNoCase(extension, table.extensions[i]))
            return static_cast<int>(i);
    return static_cast<int>(table.extensions.size());
}

DialogChoice ResolveTypedName(const std::string& typedPath, int filterIndex, DialogKind kind,
                              const FormatTable& table) {
    DialogChoice choice{typedPath, 0};
    if (typedPath.empty())
        return choice;
    std::string extension = ExtensionOf(typedPath);
    const int listSize = static_cast<int>(table.extensions.size());
    if (extension.empty() && filterIndex >= 0 && filterIndex < listSize) {
        choice.code = filterIndex;
        std::string_view added = table.extensions[static_cast<std::size_t>(filterIndex)];
        // The save list's fourth filter is the positive format, whose list position holds the
        // LeCroy "0": give such a name the extension its filter shows.
        if (kind == DialogKind::Save && added == "0") {
            added = "pwav";
            choice.code = kPositiveCode;
        }
        choice.path = typedPath + "." + std::string(added);
        return choice;
    }
    choice.code = FormatCodeOfExtension(extension, table);
    if (choice.code == listSize)
        ask(launch().appName, StringText(3009), Buttons::Ok, Icon::Exclamation);
    return choice;
}

std::string FileDialogMemory::initialFolder() const {
    return used ? folder : launch().waveFolder;
}

void FileDialogMemory::remember(const std::string& chosenPath, int chosenFilter) {
    folder = FolderOf(chosenPath);
    filterIndex = chosenFilter;
    used = true;
}

std::string ProposedFileName(const std::string& fileName) {
    std::string name = FileNameOf(fileName);
    auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace tw
