#include "document/FormatRegistry.h"

#include "app/FileUtil.h"
#include "document/ColumnImport.h"
#include "document/ImportStream.h"
#include "document/LeCroyImport.h"
#include "document/MatFormat.h"
#include "document/NpyFormat.h"
#include "document/RiffWave.h"
#include "document/TextWave.h"

#include <algorithm>
#include <ostream>

namespace tw {

namespace {

constexpr unsigned kBothDialogs = kOpenDialog | kSaveDialog;

constexpr FormatReading kNativeIn{[](ImportSource& in, const ImportContext& ctx, PointSink& out) {
                                      return ReadNativeImport(in, ctx, out, true);
                                  },
                                  OpenRole::Native};
constexpr FormatReading kPositiveIn{[](ImportSource& in, const ImportContext& ctx, PointSink& out) {
                                        return ReadNativeImport(in, ctx, out, false);
                                    },
                                    OpenRole::AsIs};
constexpr FormatReading kAsciiIn{[](ImportSource& in, const ImportContext& ctx, PointSink& out) {
                                     return ReadAsciiPoints(in, ctx.layout, out);
                                 },
                                 OpenRole::Converted};
constexpr FormatReading kColumnsIn{ReadColumnPoints, OpenRole::Converted, true};
constexpr FormatReading kLeCroyIn{ReadLeCroyPoints, OpenRole::Converted};
constexpr FormatReading kNpyIn{ReadNpyPoints, OpenRole::Converted};
constexpr FormatReading kMatIn{ReadMatPoints, OpenRole::Converted};
// The FM composer writes NumPy arrays of its points but has no code range to read values into.
constexpr FormatReading kNotRead{};

// The text writers need no more than the block and where it starts.
template <bool (*Write)(std::ostream&, std::span<const std::int32_t>, std::size_t)>
bool WriteBlock(std::ostream& out, std::span<const std::int32_t> points, std::size_t first,
                const ExportContext&) {
    return Write(out, points, first);
}

constexpr FormatWriting kNativeOut{
    [](std::ostream& out, std::span<const std::int32_t> points, std::size_t,
       const ExportContext& ctx) { return WriteNativePoints(out, points, ctx.layout); },
    SaveRole::Document};
constexpr FormatWriting kAsciiOut{WriteBlock<WriteAsciiPoints>, SaveRole::NamedExport};
constexpr FormatWriting kCsvOut{WriteBlock<WriteCsvPoints>, SaveRole::NamedExport};
constexpr FormatWriting kPositiveOut{WriteBlock<WritePositivePoints>, SaveRole::Export};
// These take the whole wave: the first block is all of it.
template <bool (*Write)(std::ostream&, std::span<const std::int32_t>, const ExportContext&)>
bool WriteWhole(std::ostream& out, std::span<const std::int32_t> points, std::size_t,
                const ExportContext& ctx) {
    return Write(out, points, ctx);
}
constexpr FormatWriting kNpyOut{WriteWhole<WriteNpy>, SaveRole::Export, true};
constexpr FormatWriting kPcmWavOut{WriteWhole<WritePcm16Wave>, SaveRole::Export, true};
constexpr FormatWriting kMatOut{WriteWhole<WriteMat>, SaveRole::Export, true};
constexpr FormatWriting kNoWriter{};
// Save As passes over LeCroy's ".0*" in silence but shows the document's file again for the
// other forms it cannot write.
constexpr FormatWriting kPassedOver{nullptr, SaveRole::Passed};

constexpr auto kInt16 = PointLayout::Int16;
constexpr auto kInt32 = PointLayout::Int32;
constexpr auto kRecord6 = PointLayout::Record6;
// Save also writes the FM points under this name, in the FM composer's binary form.
constexpr std::string_view kFmSecondBinary = "wfm";

// Layout, code, extension, filter, dialogs, name, reading, writing. A composer's rows stand in
// code order, and each dialog lists them in that order: a new format is a row at the end of its
// composer's rows.
constexpr FileFormat kFormats[] = {
    {kInt16, kNativeCode, "wav", "Binary   (*.wav)|*.wav", kBothDialogs, "native 16-bit", kNativeIn,
     kNativeOut},
    {kInt16, kAsciiCode, "asc", "ASCII -space delimited (*.asc)|*.asc", kBothDialogs, "ASCII",
     kAsciiIn, kAsciiOut},
    {kInt16, kCsvCode, "csv", "Comma delimited(*csv)|*.csv", kBothDialogs,
     "comma-delimited columns", kColumnsIn, kCsvOut},
    {kInt16, kLeCroyCode, "0", "LeCroy  format (*.0* )|*.0*", kOpenDialog, "LeCroy", kLeCroyIn,
     kPassedOver},
    {kInt16, kPositiveCode, "pwav", "Positive format (16-bit only) (*.pwav )|*.pwav", kSaveDialog,
     "positive 16-bit", kPositiveIn, kPositiveOut},
    {kInt16, kTraceCode, "trc", "LeCroy  format (*.trc )|*.trc", kOpenDialog, "LeCroy trace",
     kLeCroyIn, kNoWriter},
    {kInt16, kPrnCode, "prn", "Space delimited(*.prn)|*.prn", kOpenDialog,
     "space-delimited columns", kColumnsIn, kNoWriter},
    {kInt16, kTxtCode, "txt", "Comma delimited(*txt)|*.txt", kOpenDialog,
     "comma-delimited text columns", kColumnsIn, kNoWriter},
    {kInt16, kNpyCode, "npy", "NumPy array (*.npy)|*.npy", kBothDialogs, "NumPy", kNpyIn, kNpyOut},
    {kInt16, kPcmWavCode, "wav", "PCM audio 16-bit (*.wav)|*.wav", kSaveDialog, "16-bit PCM WAV",
     kNativeIn, kPcmWavOut},
    {kInt16, kMatCode, "mat", "MATLAB file (*.mat)|*.mat", kBothDialogs, "MATLAB", kMatIn, kMatOut},

    {kInt32, kNativeCode, "wvf", "Binary   (*.wvf)|*.wvf", kBothDialogs, "native 32-bit", kNativeIn,
     kNativeOut},
    {kInt32, kAsciiCode, "asf", "ASCII -space delimited (*.asf)|*.asf", kBothDialogs, "ASCII",
     kAsciiIn, kAsciiOut},
    {kInt32, kFmNpyCode, "npy", "NumPy array (*.npy)|*.npy", kSaveDialog, "NumPy", kNotRead,
     kNpyOut},

    {kRecord6, kNativeCode, "wfp", "Binary   (*.wfp)|*.wfp", kBothDialogs, "native 6-byte records",
     kNativeIn, kNativeOut},
    {kRecord6, kAsciiCode, "afp", "ASCII -space delimited (*.afp)|*.afp", kBothDialogs, "ASCII",
     kAsciiIn, kAsciiOut},
    {kRecord6, kFmNpyCode, "npy", "NumPy array (*.npy)|*.npy", kSaveDialog, "NumPy", kNotRead,
     kNpyOut},
};

} // namespace

std::span<const FileFormat> AllFileFormats() {
    return kFormats;
}

std::span<const FileFormat> FileFormatsOf(PointLayout layout) {
    const auto* first = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [layout](const FileFormat& f) { return f.layout == layout; });
    const auto* last = std::find_if(first, std::end(kFormats),
                                    [layout](const FileFormat& f) { return f.layout != layout; });
    return {first, last};
}

const FileFormat* FindFileFormat(PointLayout layout, int code) {
    const auto formats = FileFormatsOf(layout);
    if (code < 0 || static_cast<std::size_t>(code) >= formats.size())
        return nullptr;
    return &formats[static_cast<std::size_t>(code)];
}

const FileFormat* FileFormatOfExtension(PointLayout layout, std::string_view extension) {
    for (const FileFormat& format : FileFormatsOf(layout))
        if (StartsWithNoCase(extension, format.extension))
            return &format;
    return nullptr;
}

const FileFormat* FileFormatOfPath(const std::string& path, PointLayout layout) {
    const int code = FormatCodeFromName(path, layout);
    if (code >= 0)
        return FindFileFormat(layout, code);
    const std::string extension = ExtensionOf(path);
    const FileFormat* format = FileFormatOfExtension(layout, extension);
    return format && EqualsNoCase(extension, format->extension) ? format : nullptr;
}

bool AsksDimension(PointLayout layout, int code) {
    const FileFormat* format = FindFileFormat(layout, code);
    return format && format->reading.asksDimension;
}

bool SavesAsBinary(const std::string& path) {
    const std::string extension = ExtensionOf(path);
    if (EqualsNoCase(extension, kFmSecondBinary))
        return true;
    for (PointLayout layout : {kInt16, kInt32}) {
        const FileFormat* native = FindFileFormat(layout, kNativeCode);
        if (native && EqualsNoCase(extension, native->extension))
            return true;
    }
    return false;
}

} // namespace tw
