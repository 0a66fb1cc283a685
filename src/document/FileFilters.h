#pragma once
#include "app/LaunchState.h"
#include "app/Result.h"
#include "document/FormatRegistry.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

enum class DialogKind { Open, Save };

// The Open dialog's last entry: every pattern its other entries list.
inline constexpr std::string_view kAllSupportedFiles = "All supported files";

// One composer's formats as its file dialogs show them: the rows, whose places are the format
// codes, and each dialog's filter ("display|pattern|...||") made of the rows it lists, the Open
// dialog's followed by kAllSupportedFiles (patterns separated by ';').
struct FormatTable {
    PointLayout layout = PointLayout::Int16;
    std::span<const FileFormat> formats;
    std::string openFilter;
    std::string saveFilter;
};

const FormatTable& FormatTableOf(PointLayout layout);
const FormatTable& FormatTableFor(int composerId, bool fpSegMode);
// The running composer's table.
const FormatTable& CurrentFormatTable(const LaunchState& session);
std::string_view FileFilter(const FormatTable& table, DialogKind kind);
// The rows a dialog lists, in the order of its filters (the Open dialog's last entry, which
// lists them all, is none of them).
std::vector<const FileFormat*> DialogFormats(const FormatTable& table, DialogKind kind);

struct FilterEntry {
    std::string display;
    std::string pattern;
};
// Splits a "display|pattern|...||" filter into its entries, for the GUI's file dialogs.
std::vector<FilterEntry> ParseFilter(std::string_view filter);

// The position of the first list entry the extension starts with (case-insensitive), or the
// list's size when none does.
int FormatCodeOfExtension(std::string_view extension, const FormatTable& table);

struct DialogChoice {
    std::string path; // empty when cancelled
    int code = 0;
    Result refused; // what the user is told about an extension of no format
};
// Completes what the user typed in a file dialog under the filter at filterIndex (0-based):
// a name without extension gets the extension and code of the format that filter lists (under
// the Open dialog's original filters: of the extension list's entry at the filter's place; under
// its last entry a name needs its extension); an extension that matches no entry shows
// kMsgIllegalExtension (in the session's caption) and gives the code one past the list's end.
DialogChoice ResolveTypedName(const LaunchState& session, const std::string& typedPath,
                              int filterIndex, DialogKind kind, const FormatTable& table);

// What the waveform file dialogs remember between uses: the folder of the last chosen file
// (the wave folder before the first choice) and the last chosen filter.
struct FileDialogMemory {
    std::string folder;
    int filterIndex = 0;
    bool used = false;
    std::string waveFolder; // the document's, where the first dialog opens

    std::string initialFolder() const; // the wave folder until the first choice
    void remember(const std::string& chosenPath, int chosenFilter);
};

// The name a dialog proposes: fileName without its folder and extension.
std::string ProposedFileName(const std::string& fileName);

} // namespace tw
