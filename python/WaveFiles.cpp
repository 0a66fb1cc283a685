#include "WaveFiles.h"

#include "Arguments.h"
#include "CoreCall.h"

#include "app/FileUtil.h"
#include "app/PointLimits.h"
#include "document/FileFacts.h"
#include "document/FormatRegistry.h"
#include "document/ImportStream.h"
#include "document/MatFormat.h"
#include "document/RiffWave.h"
#include "document/WaveFormats.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace py = pybind11;
using namespace pybind11::literals;

namespace tw::python {

namespace {

constexpr std::array kLayouts = {PointLayout::Int16, PointLayout::Int32, PointLayout::Record6};

// The row Open reads a file by: the standard composer's formats first, then the FM composer's.
const FileFormat* ReadableFormat(const std::string& path) {
    for (PointLayout layout : kLayouts)
        if (const FileFormat* format = FileFormatOfPath(path, layout);
            format && format->reading.read)
            return format;
    return nullptr;
}

// Each extension of the rows that read (or write) once: several composers, and the native and
// audio WAV, share some.
std::string Extensions(bool writing) {
    std::vector<std::string_view> extensions;
    for (const FileFormat& format : AllFileFormats())
        if ((writing ? format.writing.write != nullptr : format.reading.read != nullptr) &&
            std::find(extensions.begin(), extensions.end(), format.extension) == extensions.end())
            extensions.push_back(format.extension);
    std::string text;
    for (std::size_t i = 0; i < extensions.size(); ++i)
        text += (i == 0                       ? ""
                 : i + 1 == extensions.size() ? " or "
                                              : ", ") +
                std::string(".") + std::string(extensions[i]);
    return text;
}

// The names write_wave's format= takes: the rows that write, each name once.
std::string WriterNames() {
    std::string text;
    for (const FileFormat& format : AllFileFormats())
        if (format.writing.write &&
            text.find("'" + std::string(format.name) + "'") == std::string::npos)
            text += (text.empty() ? "'" : ", '") + std::string(format.name) + "'";
    return text;
}

// The row Save As writes a name by, matched as the Save dialog matches a typed extension, or the
// row format= names. A .npy of 32-bit integers is the FM composer's.
const FileFormat* WritableFormat(const std::string& path, const py::object& format, bool wide) {
    if (!format.is_none()) {
        if (!py::isinstance<py::str>(format))
            throw py::type_error("format must be a str: " + WriterNames());
        const std::string name = format.cast<std::string>();
        for (const FileFormat& row : AllFileFormats())
            if (row.writing.write && EqualsNoCase(row.name, name))
                return &row;
        throw py::value_error("format '" + name + "' is none of " + WriterNames());
    }
    const std::string extension = ExtensionOf(path);
    if (wide && EqualsNoCase(extension, "npy"))
        return FileFormatOfExtension(PointLayout::Int32, extension);
    for (PointLayout layout : kLayouts)
        if (const FileFormat* row = FileFormatOfExtension(layout, extension);
            row && row->writing.write)
            return row;
    throw py::value_error("cannot write '" + path + "': use " + Extensions(true) + " (or format=)");
}

// A native file opened for reading, as the document reads its working files: the size gives the
// points, a partial last point is left out.
class NativeFile {
  public:
    explicit NativeFile(std::string path) : path_(std::move(path)) {
        // Non-blocking, so that a pipe under the name fails instead of waiting for a writer.
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            Failed(errno);
        struct stat st {};
        if (::fstat(fd_, &st) != 0) {
            const int error = errno;
            ::close(fd_);
            Failed(error);
        }
        size_ = st.st_size;
    }
    ~NativeFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    std::int64_t size() const { return size_; }
    // A RIFF header, or an RF64 or Wave64 one: the core reads those.
    bool BeginsWithRiff() const {
        std::array<char, 16> head{};
        const ssize_t got = ::pread(fd_, head.data(), head.size(), 0);
        const std::string_view start(head.data(), got > 0 ? std::size_t(got) : 0);
        return StartsWithNoCase(start, "RIFF") || IsLargeWave(start);
    }
    // Reads the first `bytes` bytes into data.
    void ReadInto(void* data, std::size_t bytes) const {
        auto* out = static_cast<char*>(data);
        for (std::size_t done = 0; done < bytes;) {
            const ssize_t n = ::pread(fd_, out + done, bytes - done, static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Failed(errno);
            if (n == 0)
                Fail(FileResult::Failed(kRead, path_, "the file ended early").message());
            done += static_cast<std::size_t>(n);
        }
    }

  private:
    static constexpr auto kRead = FileResult::Action::Read;
    [[noreturn]] void Failed(int error) const {
        Fail(FileResult::FromErrno(kRead, path_, error).message());
    }
    std::string path_;
    int fd_ = -1;
    std::int64_t size_ = 0;
};

// Native points straight into a new array: no copy on the way, as numpy.fromfile reads.
template <class Sample> py::array ReadNativeArray(const NativeFile& file, const std::string& path) {
    const auto count = static_cast<std::uint64_t>(file.size()) / sizeof(Sample);
    if (count > MemoryPointLimit(sizeof(Sample)))
        Fail(FileResult::Failed(FileResult::Action::Read, path,
                                "more points than this machine's memory holds")
                 .message());
    if (count == 0)
        Fail(ImportFailed().error);
    py::array_t<Sample> points(static_cast<py::ssize_t>(count));
    Sample* data = points.mutable_data();
    py::gil_scoped_release release;
    file.ReadInto(data, count * sizeof(Sample));
    return points;
}

// An import's points straight into the array's type as they come: the points are held once.
template <class Sample> struct SampleSink : PointSink {
    std::vector<Sample> points;
    void expect(std::uint64_t count) override { points.reserve(static_cast<std::size_t>(count)); }
    bool take(std::span<const std::int32_t> block) override {
        std::transform(block.begin(), block.end(), std::back_inserter(points), ToStored<Sample>);
        return true;
    }
};

template <class Sample>
py::array Read(const std::string& path, const FileFormat& format, const ImportContext& ctx) {
    // Open drops a RIFF header from native files; the other forms are converted.
    const bool plain = std::endian::native == std::endian::little &&
                       format.reading.open == OpenRole::Native &&
                       BytesPerPoint(format.layout) == sizeof(Sample);
    if (plain) {
        const NativeFile file(path);
        if (!file.BeginsWithRiff())
            return ReadNativeArray<Sample>(file, path);
    }
    SampleSink<Sample> read;
    const std::size_t clipped = CallCore([&] {
        ImportSource in(path);
        ImportResult imported = StreamWave(in, format.code, ctx, read);
        if (!imported.ok)
            Fail(imported.error);
        return imported.clipped;
    });
    if (clipped > 0)
        WarnClipped(clipped);
    return ToArray(std::move(read.points));
}

// The system's refusal of a file to be read, raised before the core sees it.
void CheckReadable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileRefusal{errno, path};
    struct stat st {};
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    if (folder)
        throw FileRefusal{EISDIR, path};
}

// The system's refusal of a file to be written: its folder missing or closed to us, or a
// folder under its name.
void CheckWritable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        throw FileRefusal{errno, path};
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw FileRefusal{errno, path};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw FileRefusal{EISDIR, path};
}

// The row a file is read by, and the context of the read's keywords.
struct ReadRequest {
    std::string path;
    const FileFormat* format = nullptr;
    ImportContext ctx;
};

ReadRequest RequestOf(const py::object& pathArgument, const ReadChoices& choices) {
    ReadRequest r;
    r.path = PathArgument(pathArgument);
    const LevelRange range = RangeArgument(choices.range);
    if (choices.columns != 1 && choices.columns != 2)
        throw py::value_error("columns must be 1 (one value per number) or 2 (time, value)");
    if (choices.channel < 0)
        throw py::value_error("channel must be 0 (the first) or more");
    CheckReadable(r.path);
    r.format = ReadableFormat(r.path);
    if (!r.format)
        throw py::value_error("cannot tell the format of '" + r.path +
                              "' from its extension: use " + Extensions(false));
    r.ctx.layout = r.format->layout;
    r.ctx.vMin = range.low;
    r.ctx.vMax = range.high;
    r.ctx.stretch = choices.stretch;
    r.ctx.askDim = choices.columns - 1;
    r.ctx.fullScale = choices.fullScale;
    r.ctx.channel = choices.channel;
    if (!choices.variable.is_none()) {
        if (r.format->code != kMatCode || r.format->layout != PointLayout::Int16)
            throw py::value_error("variable= names a variable of a MATLAB file, not of '" + r.path +
                                  "'");
        r.ctx.variable = choices.variable.cast<std::string>();
    }
    return r;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::vector<std::string> VariablesOf(const std::string& path) {
    return CallCore([&] { return MatVariablesOfFile(path); });
}

struct Counted {
    ImportResult result;
    PointExtremes extremes;
};

Counted CountPoints(const std::string& path, const FileFormat& format, const ImportContext& ctx) {
    Counted counted;
    ImportSource in(path);
    counted.result = StreamWave(in, format.code, ctx, counted.extremes);
    return counted;
}

} // namespace

py::array ReadWave(const py::object& path, const ReadChoices& choices) {
    const ReadRequest r = RequestOf(path, choices);
    if (r.format->code == kMatCode && r.ctx.variable.empty())
        if (const std::vector<std::string> names = VariablesOf(r.path); names.size() > 1)
            throw py::value_error("'" + r.path + "' holds the variables " + Joined(names) +
                                  ": name one with variable=");
    if (r.format->layout == PointLayout::Int16)
        return Read<std::int16_t>(r.path, *r.format, r.ctx);
    return Read<std::int32_t>(r.path, *r.format, r.ctx);
}

py::dict Info(const py::object& path, const ReadChoices& choices) {
    const ReadRequest r = RequestOf(path, choices);
    py::dict info;
    info["format"] = std::string(r.format->name);
    const FileFacts facts = CallCore([&] { return DescribeWaveFile(r.path, *r.format); });
    info["encoding"] = facts.encoding;
    if (facts.wave) {
        info["channels"] = facts.wave->channels;
        info["sample_rate"] = facts.wave->sampleRate;
        info["bits"] = facts.wave->bits;
    }
    if (r.format->code == kMatCode) {
        // Each variable by its dimensions; None for one of more than the reader tells.
        py::dict variables;
        for (const MatVariable& v : facts.variables) {
            py::tuple shape(v.dims.size());
            for (std::size_t i = 0; i < v.dims.size(); ++i)
                shape[i] = py::int_(v.dims[i]);
            variables[py::str(v.name)] = v.dims.empty() ? py::object(py::none()) : shape;
        }
        info["variables"] = variables;
    }
    const Counted c = CallCore([&] { return CountPoints(r.path, *r.format, r.ctx); });
    if (!c.result.ok)
        throw Refusal{{}, c.result.error};
    info["points"] = c.extremes.count;
    info["min"] = c.extremes.lo;
    info["max"] = c.extremes.hi;
    info["clipped"] = c.result.clipped;
    return info;
}

void WriteWave(const py::object& pathArgument, const py::object& pointsArgument,
               const py::object& format, const py::object& rangeArgument) {
    const std::string path = PathArgument(pathArgument);
    const LevelRange range = RangeArgument(rangeArgument);
    const std::string what = "points for '" + path + "'";
    const py::array array = IntegerArray(pointsArgument, what);
    const bool wide = array.dtype().kind() == 'i' && array.dtype().itemsize() == 4;
    const FileFormat* row = WritableFormat(path, format, wide);
    const bool narrow = row->layout == PointLayout::Int16;
    const std::vector<std::int32_t> points =
        IntegerPoints(array, narrow ? INT16_MIN : INT32_MIN, narrow ? INT16_MAX : INT32_MAX, what);
    CheckWritable(path);
    CallCore([&] {
        if (FileResult written = ExportWaveFile(
                path, row->code, points, ExportContext{row->layout, range.low, range.high, {}});
            !written)
            Fail(written.message());
    });
}

namespace {

// How each form's values become points; the same table stands in docs/python.md.
const char* const kReadDoc =
    R"(read_wave(path, *, range=(-8192, 8191), stretch=True, columns=2, full_scale=False, channel=0, variable=None) -> numpy.ndarray

Reads the points of a waveform file of any form Open reads, chosen by the
file's extension, as the code range `range` (low, high) holds them:

file                          values become points            keyword
native .wav (no header)       as they stand                   -
canonical 16-bit mono WAV     as they stand (raw codes, NOT   -
  (44-byte header)            scaled as audio tools do)
any other WAV: 8/16/24/32-bit the encoding's full scale onto  range=
  integer, 32/64-bit float    range; floats -1.0..+1.0,       channel= (0 first)
                              beyond clipped
.npy of floats                -1.0..+1.0 onto range (full     range=
                              scale), beyond clipped
.npy of integers, .mat of     stretched: +-A (A the largest   stretch=False: only
  any numeric class           magnitude) onto range           rounded; full_scale=True:
                                                              -1.0..+1.0 onto range
.csv .prn .txt columns        stretched like .mat             columns=, stretch=,
                                                              full_scale=
.asc                          truncated toward zero           -
LeCroy .0* .trc               minimum..maximum onto range     stretch=False: truncated
.pwav                         taken as native points          -
FM .wvf .asf .wfp .afp        as they stand, int32            -

So a .npy of floats is full scale while a .mat of doubles is stretched, and
a canonical 16-bit mono WAV is read as raw codes. Points outside the range
(an infinity among them) are clipped to it and reported as a
tidewright.ClipWarning with their `count`; a value that is not a number is
refused.

columns    column files: 2 reads (time, value) rows and keeps the value,
           1 takes every number as a value of its own
channel    the channel of a multi-channel WAV, 0 the first
variable   the variable of a .mat file; a file of several variables must
           name one (ValueError lists them)

Returns int16 points, int32 for the FM composer's forms. Nothing is written
beside the input or anywhere else. A missing or unreadable file raises
tidewright.MissingFileError (a FileNotFoundError) or
tidewright.FileAccessError (a PermissionError), naming the path and the
reason; a file that holds no waveform of its form raises tidewright.Error
with the program's text.)";

const char* const kWriteDoc =
    R"(write_wave(path, points, *, format=None, range=(-8192, 8191)) -> None

Writes points (a one-dimensional sequence or array of integers of any width
and byte order) in the form the extension names, byte for byte as Save As
writes it: ".wav" native 16-bit (no header), ".asc" ASCII, ".csv"
comma-delimited, ".pwav" positive 16-bit, ".npy" NumPy int16 (int32 when
the points are int32: the FM composer's), ".mat" MATLAB int16 vector;
".wvf" native 32-bit and ".asf" ASCII for FM points, ".wfp" 6-byte records
and ".afp" ASCII in FP-segment mode.

format   a form by name instead of the extension: "16-bit PCM WAV" writes a
         16-bit mono PCM WAV at 44100 Hz for audio tools, `range` mapped onto
         its full scale; also "native 16-bit", "ASCII", "NumPy", "MATLAB" ...
range    the code range the audio WAV maps onto full scale

Points must fit the form (16-bit or 32-bit): ValueError otherwise. The file
is replaced atomically. A folder that is missing or may not be written
raises tidewright.MissingFileError or tidewright.FileAccessError; another
failed write raises tidewright.Error naming the file and the system's reason,
and leaves the file as it was.)";

const char* const kInfoDoc =
    R"(info(path, *, range=(-8192, 8191), stretch=True, columns=2, full_scale=False, channel=0, variable=None) -> dict

What the file is and what read_wave with the same keywords makes of it:
"format" (the form's name), "encoding" (e.g. "RIFF WAV, 24-bit integer,
2 channels, 48000 Hz", "NumPy, 32-bit float"), for a WAV "channels",
"sample_rate" and "bits", for a .mat "variables" ({name: shape}, the
variable's MATLAB dimensions such as (1, 1000), None where unknown),
"points", "min", "max" and "clipped" (of the chosen or first variable or
channel). Raises as read_wave does.)";

ReadChoices ChoicesOf(py::object range, bool stretch, int columns, bool fullScale, int channel,
                      py::object variable) {
    if (!variable.is_none() && !py::isinstance<py::str>(variable))
        throw py::type_error("variable must be a str, the name of a .mat file's variable");
    return {std::move(range), stretch, columns, fullScale, channel, std::move(variable)};
}

} // namespace

void RegisterWaveFiles(py::module_& m) {
    const auto range = py::make_tuple(-8192, 8191);
    m.def(
        "read_wave",
        [](const py::object& path, py::object range, bool stretch, int columns, bool fullScale,
           int channel, py::object variable) {
            return ReadWave(path, ChoicesOf(std::move(range), stretch, columns, fullScale, channel,
                                            std::move(variable)));
        },
        "path"_a, py::kw_only(), "range"_a = range, "stretch"_a = true, "columns"_a = 2,
        "full_scale"_a = false, "channel"_a = 0, "variable"_a = py::none(), kReadDoc);
    m.def("write_wave", &WriteWave, "path"_a, "points"_a, py::kw_only(), "format"_a = py::none(),
          "range"_a = range, kWriteDoc);
    m.def(
        "info",
        [](const py::object& path, py::object range, bool stretch, int columns, bool fullScale,
           int channel, py::object variable) {
            return Info(path, ChoicesOf(std::move(range), stretch, columns, fullScale, channel,
                                        std::move(variable)));
        },
        "path"_a, py::kw_only(), "range"_a = range, "stretch"_a = true, "columns"_a = 2,
        "full_scale"_a = false, "channel"_a = 0, "variable"_a = py::none(), kInfoDoc);
}

} // namespace tw::python
