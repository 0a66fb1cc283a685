#pragma once
#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/PointLimits.h"
#include "app/Prompter.h"
#include "document/PointBuffer.h"
#include "document/SampleSpan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Progress.h"

namespace tw {

// How points sit in a native waveform file: headerless, little-endian, fixed size.
enum class PointLayout {
    Int16,   // ".wav": standard composer, one signed 16-bit integer per point
    Int32,   // ".wvf"/".wfm": FM composer, one signed 32-bit integer per point
    Record6, // ".wfp": FM in FP-segment mode, two zero bytes then a signed 32-bit integer
};

int BytesPerPoint(PointLayout layout);
PointLayout NativeLayoutFor(int composerId, bool fpSegMode);

// Points of a native file's bytes: size / bytes per point, a partial last point is dropped.
// Int16 points are sign-extended into the 32-bit values.
std::vector<std::int32_t> DecodeNativePoints(std::string_view bytes, PointLayout layout);
// The same into points, which has room for them.
void DecodeNativeInto(std::string_view bytes, PointLayout layout, std::int32_t* points);
// The file bytes for points; Int16 keeps the low 16 bits of each point.
std::string EncodeNativePoints(std::span<const std::int32_t> points, PointLayout layout);
// The same bytes streamed a chunk at a time; false when the stream failed.
bool WriteNativePoints(std::ostream& out, std::span<const std::int32_t> points, PointLayout layout);

struct NativeReadResult {
    bool ok = false;
    std::vector<std::int32_t> points;
    FileResult failure; // why not, when !ok
};
// Reads a whole native file in one go; fails when it cannot be read or has more points than
// this machine's memory holds (MemoryPointLimit). An empty file reads as zero points.
NativeReadResult ReadNativeFile(const std::string& path, PointLayout layout);
// The same straight into the storage values already has, in its width (16-bit values keep a
// 32-bit point's low 16 bits), without a second copy of the wave. A file that cannot be opened
// or held leaves values as they were; a read that breaks off (or is cancelled through progress,
// FileResult::cancelled) leaves them empty.
FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          PointBuffer<std::int16_t>& values, Progress& progress = NoProgress());
FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          PointBuffer<std::int32_t>& values, Progress& progress = NoProgress());
// The same into a vector (a pulse segment handed on as it is).
FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          std::vector<std::int16_t>& values);
// Writes the points atomically (temporary file renamed over path); Int16 keeps the low 16 bits
// of each point. A cancel through progress leaves path as it was.
FileResult WriteNativeFile(const std::string& path, SampleView points, PointLayout layout,
                           Progress& progress = NoProgress());
// The same file staged beside its target, for the caller to commit.
FileResult WriteNativeFile(StagedFile& staged, SampleView points, PointLayout layout,
                           Progress& progress = NoProgress());
// Rewrites path with count points, a block at a time: its first points as they were (as many as
// it had), the rest zero. A missing file counts as one of no points.
FileResult ResizeNativeFile(const std::string& path, std::size_t count, PointLayout layout);

// Format codes are positions in the composer's extension list (the rows of FormatRegistry.h).
// Standard composer: 0 native ".wav" (or RIFF), 1 ASCII, 2 comma-delimited columns, 3 LeCroy
// ".0*", 4 positive 16-bit, 5 LeCroy ".trc", 6 and 7 columns (".prn", ".txt"). FM: 0 native,
// 1 ASCII.
enum FormatCode {
    kNativeCode = 0,
    kAsciiCode = 1,
    kCsvCode = 2,
    kLeCroyCode = 3,
    kPositiveCode = 4,
    kTraceCode = 5,
    kPrnCode = 6,
    kTxtCode = 7,
    kNpyCode = 8,    // NumPy ".npy"; the FM composer's is kFmNpyCode
    kPcmWavCode = 9, // a 16-bit PCM WAV for audio tools, written only
    kMatCode = 10,   // MATLAB ".mat"
    kFmNpyCode = 2,
    kCodeFromName = -3, // work the code out from the file name
};

// What a conversion needs to know; filled from the session and its files by
// ImportContextForLaunch, or by hand in tests and fuzzers.
struct ImportContext {
    PointLayout layout = PointLayout::Int16;
    double vMin = -8192; // the instrument's code range, target of the stretch
    double vMax = 8191;
    bool stretch = true;    // the instrument's "autoStretch" option
    int askDim = 1;         // column files: 0 one value per number, 1 time/value pairs
    bool fullScale = false; // column values are fractions of full scale: -1 ... +1, no stretch
    int channel = 0;        // the channel taken from a multi-channel audio file, 0-based
    std::string variable{}; // the variable taken from a MATLAB file; empty: the first
    // Open's conversion writes beside the input. Where that place holds another file, the
    // converted points replace it only when mayReplace(path) says so (no question: never);
    // otherwise, and when the input's folder cannot be written, they go to fallbackFolder
    // (empty: the conversion fails instead).
    std::function<bool(const std::string& path)> mayReplace{};
    std::string fallbackFolder{};
    // Told as the input is read and while an isolated reader runs; a cancel stops the import
    // (and ends the reader) with a failure that is FileResult::cancelled. None: nobody is told.
    Progress* progress = nullptr;
};

struct ImportResult {
    bool ok = false;
    std::vector<std::int32_t> points;
    std::string error;       // the text to show when !ok: kMsgCannotConvert, or failure's message
    FileResult failure;      // a file that is there but could not be read, and why
    std::size_t clipped = 0; // points held at the code range's ends
};
// A failed import: kMsgCannotConvert (no such file, or no waveform of the form in it), or the
// system's refusal of a file that is there.
ImportResult ImportFailed(FileResult failure = {});

// Every import reads its input a piece at a time and hands its points on a block at a time
// (ImportStream.h), so that none holds a whole file: a reader of one form turns an input into
// points; false when the input holds no waveform of the form, has more points than memory
// holds, or the sink refused them.
class ImportSource;
class PointSink;
using PointReader = bool (*)(ImportSource& in, const ImportContext& ctx, PointSink& out);
// The points of a native file; with riffHeader, a file that begins with "RIFF" (any case) loses
// its 44-byte header first. Fails on no points.
bool ReadNativeImport(ImportSource& in, const ImportContext& ctx, PointSink& out, bool riffHeader);
// What a reader makes of an input, collected in memory.
ImportResult ImportWith(PointReader read, ImportSource& in, const ImportContext& ctx);

// Stretch from the session's general settings for the instrument's model, the full-scale answer
// of the dimension question, the fallback folder in the session's tmp folder; questions through
// asks, in the session's caption.
ImportContext ImportContextForLaunch(const LaunchState& session, PointLayout layout, double vMin,
                                     double vMax, int askDim, Prompter& asks);
// False when section "Option", key "autoStretch" + model holds a value other than "yes".
bool AutoStretchEnabled(const LaunchState& session);

// Streams the points of an input of the given format (the row of ctx.layout's code) into out.
// The result is ok or says why not (its points stay empty: they went to out); a failure of out
// itself is out's to tell.
ImportResult StreamWave(ImportSource& in, int formatCode, const ImportContext& ctx, PointSink& out);
// The same into memory.
ImportResult ImportWave(ImportSource& in, int formatCode, const ImportContext& ctx);
// Converts file content of the given format into points. Pure: no files, no prompts.
ImportResult ImportWaveBytes(std::string_view bytes, int formatCode, const ImportContext& ctx);
// The same over a file; kCodeFromName works the code out from the name.
ImportResult ImportWaveFile(const std::string& path, int formatCode, const ImportContext& ctx);

// The code of a file opened by name: native for "wa"+digit working files, else its extension
// looked up in the list of the layout's composer. -1 when the file is missing or the extension
// is not three characters long or not in the list.
int FormatCodeFromName(const std::string& path, PointLayout layout);

struct ConvertResult {
    bool ok = false;
    std::string path;        // the native binary file now holding the points
    std::string error;       // the text to show when !ok: kMsgCannotConvert, or failure's message
    FileResult failure;      // the input that could not be read or the output that could not be
                             // written, and why
    std::size_t clipped = 0; // points held at the code range's ends
};
// The converted file's place beside the input: RIFF: the name + "_TBR", others: the input's
// name with the native extension.
std::string ConvertedPathFor(const std::string& path, int formatCode, PointLayout layout);
// Open's conversion: writes the points as a native file at ConvertedPathFor (or, see
// ImportContext, in the fallback folder) and returns its path. A file there that already holds
// exactly these points is used as it is. Native files and positive 16-bit files come back
// unchanged. Nothing is written on failure.
ConvertResult ConvertToBinary(const std::string& path, int formatCode, const ImportContext& ctx);

struct ExportContext {
    PointLayout layout = PointLayout::Int16;
    double vMin = -8192; // the code range, mapped onto full scale by the audio export
    double vMax = 8191;
    std::string name{}; // what a named container (a MATLAB variable) is called; empty: "wave"
};
// Save As writers: the rows of ctx.layout with a writer (standard: native 0, ASCII 1,
// comma-delimited 2, positive 16-bit 4). Codes without one write nothing and fail, as does a
// failed write. Files are replaced atomically and written a block of points at a time.
std::string EncodeWaveFile(std::span<const std::int32_t> points, int formatCode,
                           const ExportContext& ctx);
FileResult ExportWaveFile(const std::string& path, int formatCode, SampleView points,
                          const ExportContext& ctx, Progress& progress = NoProgress());

} // namespace tw
