#pragma once
#include "document/WaveFormats.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace tw {

// The file dialogs that list a format under its filter text.
enum FormatDialogs : unsigned { kOpenDialog = 1, kSaveDialog = 2 };

// What Open does with a file of a format.
enum class OpenRole {
    Native,    // the file holds native points; a "RIFF" header is dropped into "<name>_TBR"
    AsIs,      // taken as native points without a look at it (the positive 16-bit form)
    Converted, // read into points and written as a native file of the input's name
};

// What Save As does under a format's code.
enum class SaveRole {
    None,        // nothing written; the document's own file is shown again
    Passed,      // nothing written and nothing shown
    Document,    // the native form: the file becomes the segment's file and the fileName
    Export,      // a copy in another form; the fileName stays
    NamedExport, // a copy in another form that becomes the fileName
};

// Streams the bytes of a block of points whose first is point number `first` of the wave, so that
// a wave is written a block at a time; false gives up (nothing is then written).
using FormatWriter = bool (*)(std::ostream& out, std::span<const std::int32_t> points,
                              std::size_t first, const ExportContext& ctx);

struct FormatReading {
    PointReader read = nullptr; // nullptr: Open refuses the format
    OpenRole open = OpenRole::Converted;
    bool asksDimension = false; // column text: Open asks the dimension question first
};

struct FormatWriting {
    FormatWriter write = nullptr; // nullptr: nothing is written
    SaveRole save = SaveRole::None;
    // The writer takes the whole wave in one block: its header states the length, or its library
    // writes a variable at once. The command-line tool gathers such an output's points first.
    bool whole = false;
};

// One row of the format table: all that the file dialogs, Open, Save As and the command-line
// tool know of one file format of one composer.
struct FileFormat {
    PointLayout layout;         // the composer, by its points, whose lists hold the format
    int code;                   // its position in that composer's extension list
    std::string_view extension; // a typed extension that starts with it names the format
    std::string_view filter;    // "display|pattern" of its file dialog entry
    unsigned dialogs;           // kOpenDialog | kSaveDialog: the dialogs that list it
    std::string_view name;      // what the command-line tool calls it
    FormatReading reading;
    FormatWriting writing;
};

// Every row; each composer's rows in code order.
std::span<const FileFormat> AllFileFormats();
// One composer's rows in code order, so that a row's place is its code.
std::span<const FileFormat> FileFormatsOf(PointLayout layout);
// The row of a code, or nullptr when the composer has none.
const FileFormat* FindFileFormat(PointLayout layout, int code);
// The first row whose extension the given one starts with (any case), or nullptr.
const FileFormat* FileFormatOfExtension(PointLayout layout, std::string_view extension);
// The row a file opened by name reads as: Open's rule for the name (three-letter extensions,
// "wa"+digit working files), else a row whose extension is the name's whole extension (as
// ".pwav"). nullptr when none.
const FileFormat* FileFormatOfPath(const std::string& path, PointLayout layout);
// Whether Open asks the dimension question before it reads a file of the code.
bool AsksDimension(PointLayout layout, int code);
// Whether Save writes the points to a file of this name as it stands: the binary form of the
// standard or FM composer, in either composer (any case).
bool SavesAsBinary(const std::string& path);

} // namespace tw
