#include "document/FileFilters.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/MessageIds.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"

#include <algorithm>

namespace tw {

namespace {

std::string_view PatternOf(const FileFormat& format) {
    return format.filter.substr(format.filter.find('|') + 1);
}

std::string JoinFilters(std::span<const FileFormat> formats, unsigned dialog) {
    std::string filter;
    for (const FileFormat& format : formats)
        if (format.dialogs & dialog)
            filter.append(format.filter).append("|");
    return filter;
}

// Every pattern of the Open dialog's entries, once each, in one entry after them all, so that
// the entries before it keep the places their codes follow.
std::string AllSupportedEntry(std::span<const FileFormat> formats) {
    std::vector<std::string_view> patterns;
    for (const FileFormat& format : formats)
        if ((format.dialogs & kOpenDialog) &&
            std::find(patterns.begin(), patterns.end(), PatternOf(format)) == patterns.end())
            patterns.push_back(PatternOf(format));
    std::string entry = std::string(kAllSupportedFiles) + "|";
    for (std::size_t i = 0; i < patterns.size(); ++i)
        entry.append(i ? ";" : "").append(patterns[i]);
    return entry + "|";
}

FormatTable MakeTable(PointLayout layout) {
    FormatTable table;
    table.layout = layout;
    table.formats = FileFormatsOf(layout);
    table.openFilter =
        JoinFilters(table.formats, kOpenDialog) + AllSupportedEntry(table.formats) + "|";
    table.saveFilter = JoinFilters(table.formats, kSaveDialog) + "|";
    return table;
}

// The Open dialog's filters of the standard composer's original formats.
constexpr int kPositionalOpenFilters = 7;

unsigned DialogBit(DialogKind kind) {
    return kind == DialogKind::Open ? kOpenDialog : kSaveDialog;
}

} // namespace

const FormatTable& FormatTableOf(PointLayout layout) {
    // In the order of the layouts' values.
    static const FormatTable tables[] = {MakeTable(PointLayout::Int16),
                                         MakeTable(PointLayout::Int32),
                                         MakeTable(PointLayout::Record6)};
    return tables[static_cast<std::size_t>(layout)];
}

const FormatTable& FormatTableFor(int composerId, bool fpSegMode) {
    return FormatTableOf(NativeLayoutFor(composerId, fpSegMode));
}

const FormatTable& CurrentFormatTable(const LaunchState& session) {
    return FormatTableFor(session.composerId, session.fpSegMode);
}

std::string_view FileFilter(const FormatTable& table, DialogKind kind) {
    return kind == DialogKind::Open ? table.openFilter : table.saveFilter;
}

std::vector<const FileFormat*> DialogFormats(const FormatTable& table, DialogKind kind) {
    std::vector<const FileFormat*> listed;
    for (const FileFormat& format : table.formats)
        if (format.dialogs & DialogBit(kind))
            listed.push_back(&format);
    return listed;
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
    const FileFormat* format = FileFormatOfExtension(table.layout, extension);
    return format ? format->code : static_cast<int>(table.formats.size());
}

DialogChoice ResolveTypedName(const LaunchState& session, const std::string& typedPath,
                              int filterIndex, DialogKind kind, const FormatTable& table) {
    DialogChoice choice;
    choice.path = typedPath;
    if (typedPath.empty())
        return choice;
    std::string extension = ExtensionOf(typedPath);
    const std::vector<const FileFormat*> listed = DialogFormats(table, kind);
    if (extension.empty() && filterIndex >= 0 && filterIndex < static_cast<int>(listed.size())) {
        const FileFormat* format = listed[static_cast<std::size_t>(filterIndex)];
        // The Open dialog's first filters complete a bare name with the extension list's entry
        // at the filter's place, not the filter's own format: under ".trc" the name gets
        // ".pwav". Filters of formats added after them name their own.
        if (kind == DialogKind::Open && filterIndex < kPositionalOpenFilters)
            format = FindFileFormat(table.layout, filterIndex);
        if (!format)
            format = listed[static_cast<std::size_t>(filterIndex)];
        choice.code = format->code;
        choice.path = typedPath + "." + std::string(format->extension);
        return choice;
    }
    choice.code = FormatCodeOfExtension(extension, table);
    // Two rows may share an extension (the native ".wav" and the audio ".wav"): the chosen
    // filter's row wins when the typed extension is its own.
    if (filterIndex >= 0 && filterIndex < static_cast<int>(listed.size()) &&
        EqualsNoCase(extension, listed[static_cast<std::size_t>(filterIndex)]->extension))
        choice.code = listed[static_cast<std::size_t>(filterIndex)]->code;
    if (choice.code == static_cast<int>(table.formats.size()))
        choice.refused =
            Notice{kMsgIllegalExtension, session.appName, StringText(kMsgIllegalExtension)};
    return choice;
}

std::string FileDialogMemory::initialFolder() const {
    return used ? folder : waveFolder;
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
