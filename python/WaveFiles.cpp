#include "WaveFiles.h"

#include "Arguments.h"
#include "CoreCall.h"

#include "app/FileUtil.h"
#include "app/PointLimits.h"
#include "document/FormatRegistry.h"
#include "document/RiffWave.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace py = pybind11;

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

// The row Save As writes a name by, matched as the Save dialog matches a typed extension.
const FileFormat* WritableFormat(const std::string& path) {
    for (PointLayout layout : kLayouts)
        if (const FileFormat* format = FileFormatOfExtension(layout, ExtensionOf(path));
            format && format->writing.write)
            return format;
    return nullptr;
}

std::string WritableExtensions() {
    // Each extension once: several composers, and the native and audio WAV, share some.
    std::vector<std::string_view> extensions;
    for (const FileFormat& format : AllFileFormats())
        if (format.writing.write &&
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

template <class Sample> std::vector<Sample> Narrowed(std::vector<std::int32_t>&& points) {
    if constexpr (sizeof(Sample) == sizeof(std::int32_t)) {
        return std::move(points);
    } else {
        std::vector<Sample> values(points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            values[i] = ToStored<Sample>(points[i]);
        return values;
    }
}

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
    std::vector<Sample> points = CallCore([&] {
        ImportResult imported = ImportWaveFile(path, format.code, ctx);
        if (!imported.ok)
            Fail(imported.error);
        return Narrowed<Sample>(std::move(imported.points));
    });
    return ToArray(std::move(points));
}

} // namespace

py::array ReadWave(const py::object& pathArgument, const py::object& rangeArgument, bool stretch,
                   int columns) {
    const std::string path = PathArgument(pathArgument);
    const LevelRange range = RangeArgument(rangeArgument);
    if (columns != 1 && columns != 2)
        throw py::value_error("columns must be 1 (one value per number) or 2 (time, value)");
    const FileFormat* format = ReadableFormat(path);
    if (!format)
        throw py::value_error("cannot tell the format of '" + path + "' from its extension");
    ImportContext ctx;
    ctx.layout = format->layout;
    ctx.vMin = range.low;
    ctx.vMax = range.high;
    ctx.stretch = stretch;
    ctx.askDim = columns - 1;
    if (format->layout == PointLayout::Int16)
        return Read<std::int16_t>(path, *format, ctx);
    return Read<std::int32_t>(path, *format, ctx);
}

void WriteWave(const py::object& pathArgument, const py::object& pointsArgument) {
    const std::string path = PathArgument(pathArgument);
    const FileFormat* format = WritableFormat(path);
    if (!format)
        throw py::value_error("cannot write '" + path + "': use " + WritableExtensions());
    const bool narrow = format->layout == PointLayout::Int16;
    const std::vector<std::int32_t> points =
        IntegerPoints(pointsArgument, narrow ? INT16_MIN : INT32_MIN,
                      narrow ? INT16_MAX : INT32_MAX, "points for ." + ExtensionOf(path));
    CallCore([&] {
        if (FileResult written =
                ExportWaveFile(path, format->code, points, ExportContext{format->layout});
            !written)
            Fail(written.message());
    });
}

} // namespace tw::python
