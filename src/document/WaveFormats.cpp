#include "document/WaveFormats.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <type_traits>

namespace tw {

int BytesPerPoint(PointLayout layout) {
    switch (layout) {
    case PointLayout::Int16:
        return 2;
    case PointLayout::Int32:
        return 4;
    case PointLayout::Record6:
        return 6;
    }
    return 2;
}

PointLayout NativeLayoutFor(int composerId, bool fpSegMode) {
    if (composerId != kFmComposer)
        return PointLayout::Int16;
    return fpSegMode ? PointLayout::Record6 : PointLayout::Int32;
}

namespace {

// Explicit byte assembly keeps the files little-endian on any host and avoids unaligned loads.
std::int32_t LoadLe32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

void StoreLe32(char* p, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
    p[2] = static_cast<char>((v >> 16) & 0xFF);
    p[3] = static_cast<char>((v >> 24) & 0xFF);
}

} // namespace

void DecodeNativeInto(std::string_view bytes, PointLayout layout, std::int32_t* points) {
    const std::size_t size = static_cast<std::size_t>(BytesPerPoint(layout));
    const std::size_t count = bytes.size() / size;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    switch (layout) {
    case PointLayout::Int16:
        for (std::size_t i = 0; i < count; ++i, p += 2)
            points[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
        break;
    case PointLayout::Int32:
        for (std::size_t i = 0; i < count; ++i, p += 4)
            points[i] = LoadLe32(p);
        break;
    case PointLayout::Record6:
        for (std::size_t i = 0; i < count; ++i, p += 6)
            points[i] = LoadLe32(p + 2);
        break;
    }
}

namespace {

// Writes the points' bytes to out, which holds points.size() x the point size.
template <class Sample>
void EncodeNativeInto(std::span<const Sample> points, PointLayout layout, char* out) {
    char* p = out;
    switch (layout) {
    case PointLayout::Int16:
        for (Sample v : points) {
            auto u = static_cast<std::uint16_t>(v);
            *p++ = static_cast<char>(u & 0xFF);
            *p++ = static_cast<char>(u >> 8);
        }
        break;
    case PointLayout::Int32:
        for (Sample v : points) {
            StoreLe32(p, v);
            p += 4;
        }
        break;
    case PointLayout::Record6:
        for (Sample v : points) {
            StoreLe32(p + 2, v); // the two leading bytes stay zero
            p += 6;
        }
        break;
    }
}

} // namespace

std::vector<std::int32_t> DecodeNativePoints(std::string_view bytes, PointLayout layout) {
    std::vector<std::int32_t> points(bytes.size() /
                                     static_cast<std::size_t>(BytesPerPoint(layout)));
    DecodeNativeInto(bytes, layout, points.data());
    return points;
}

std::string EncodeNativePoints(std::span<const std::int32_t> points, PointLayout layout) {
    std::string bytes(points.size() * static_cast<std::size_t>(BytesPerPoint(layout)), '\0');
    EncodeNativeInto<std::int32_t>(points, layout, bytes.data());
    return bytes;
}

namespace {

constexpr std::size_t kChunkPoints = 1 << 15;
constexpr auto kRead = FileResult::Action::Read;

// Where the file's bytes are the values they are read or written this many at a time, between
// two reports of progress.
constexpr std::size_t kRawChunkPoints = 1 << 22;

// Puts count points of the file into to[0..count), converting each into Sample: a narrower
// value widens (an int16_t is sign-extended), a wider one keeps its low bits (ToStored).
template <class Sample>
bool ReadPointsInto(std::istream& in, std::size_t count, PointLayout layout, Sample* to,
                    Progress& progress) {
    // The file's byte order is the host's: where the widths agree its bytes are the values.
    if constexpr (std::endian::native == std::endian::little)
        if (layout == (sizeof(Sample) == 2 ? PointLayout::Int16 : PointLayout::Int32)) {
            for (std::size_t done = 0; done < count;) {
                const std::size_t n = std::min(kRawChunkPoints, count - done);
                if (!progress.advance(done, count) ||
                    !in.read(reinterpret_cast<char*>(to + done),
                             static_cast<std::streamsize>(n * sizeof(Sample))))
                    return false;
                done += n;
            }
            return true;
        }
    const auto pointSize = static_cast<std::size_t>(BytesPerPoint(layout));
    std::string chunk(std::min(kChunkPoints, count) * pointSize, '\0');
    std::vector<std::int32_t> decoded(
        std::is_same_v<Sample, std::int32_t> ? 0 : std::min(kChunkPoints, count));
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(kChunkPoints, count - done);
        if (!progress.advance(done, count) ||
            !in.read(chunk.data(), static_cast<std::streamsize>(n * pointSize)))
            return false;
        const std::string_view bytes(chunk.data(), n * pointSize);
        if constexpr (std::is_same_v<Sample, std::int32_t>) {
            DecodeNativeInto(bytes, layout, to + done); // already the stored width
        } else {
            DecodeNativeInto(bytes, layout, decoded.data());
            std::transform(decoded.begin(), decoded.begin() + static_cast<std::ptrdiff_t>(n),
                           to + done, ToStored<Sample>);
        }
        done += n;
    }
    return true;
}

template <class Sample> bool SizeFor(std::vector<Sample>& points, std::size_t n) {
    points.resize(n);
    return true;
}

template <class Sample> bool SizeFor(PointBuffer<Sample>& points, std::size_t n) {
    return points.resize(n);
}

// Sizes points to the file's count and reads them. Until the read itself begins (the file
// opened, its count within what memory holds, the memory there) a failure leaves points alone;
// a read that breaks off leaves them empty.
template <class Points>
FileResult ReadNative(const std::string& path, PointLayout layout, Points& points,
                      Progress& progress = NoProgress()) {
    using Sample = std::remove_reference_t<decltype(points[0])>;
    const std::int64_t size = FileSize(path);
    const auto pointSize = static_cast<std::size_t>(BytesPerPoint(layout));
    if (size < 0) {
        std::error_code ec;
        (void)std::filesystem::file_size(path, ec);
        return FileResult::Failed(kRead, path, ec);
    }
    const std::size_t count = static_cast<std::size_t>(size) / pointSize;
    if (count > MemoryPointLimit(sizeof(Sample)))
        return FileResult::Failed(kRead, path, "more points than this machine's memory holds");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return FileResult::FromErrno(kRead, path, errno);
    if (!SizeFor(points, count))
        return FileResult::Failed(kRead, path,
                                  "not enough memory for " + std::to_string(count) + " points");
    errno = 0;
    CancelWatch watch(progress);
    if (!ReadPointsInto(in, count, layout, points.data(), watch)) {
        const int error = errno;
        points = Points();
        if (watch.cancelled())
            return FileResult::Cancelled(kRead, path);
        return error != 0 ? FileResult::FromErrno(kRead, path, error)
                          : FileResult::Failed(kRead, path, "the file ended early");
    }
    return {};
}

template <class Sample>
bool WriteNativeValues(std::ostream& out, std::span<const Sample> points, PointLayout layout,
                       Progress& progress = NoProgress()) {
    // A chunk at a time, so that a 16M-point wave is not built in memory as a whole file first.
    if constexpr (std::endian::native == std::endian::little)
        if (layout == (sizeof(Sample) == 2 ? PointLayout::Int16 : PointLayout::Int32)) {
            for (std::size_t done = 0; done < points.size() && out;) {
                const std::size_t n = std::min(kRawChunkPoints, points.size() - done);
                if (!progress.advance(done, points.size()))
                    return false;
                out.write(reinterpret_cast<const char*>(points.data() + done),
                          static_cast<std::streamsize>(n * sizeof(Sample)));
                done += n;
            }
            return static_cast<bool>(out);
        }
    const auto pointSize = static_cast<std::size_t>(BytesPerPoint(layout));
    std::string chunk(std::min(kChunkPoints, points.size()) * pointSize, '\0');
    for (std::size_t done = 0; done < points.size() && out;) {
        const std::size_t n = std::min(kChunkPoints, points.size() - done);
        if (!progress.advance(done, points.size()))
            return false;
        EncodeNativeInto(points.subspan(done, n), layout, chunk.data());
        out.write(chunk.data(), static_cast<std::streamsize>(n * pointSize));
        done += n;
    }
    return static_cast<bool>(out);
}

template <class Sample>
FileResult WriteNative(StagedFile& staged, std::span<const Sample> points, PointLayout layout,
                       Progress& progress) {
    CancelWatch watch(progress);
    FileResult written = staged.write(
        [&](std::ostream& out) { return WriteNativeValues(out, points, layout, watch); });
    return watch.cancelled() ? FileResult::Cancelled(FileResult::Action::Write, staged.target())
                             : written;
}

} // namespace

bool WriteNativePoints(std::ostream& out, std::span<const std::int32_t> points,
                       PointLayout layout) {
    return WriteNativeValues(out, points, layout);
}

NativeReadResult ReadNativeFile(const std::string& path, PointLayout layout) {
    NativeReadResult result;
    result.failure = ReadNative(path, layout, result.points);
    result.ok = result.failure.ok();
    return result;
}

FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          PointBuffer<std::int16_t>& values, Progress& progress) {
    return ReadNative(path, layout, values, progress);
}

FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          PointBuffer<std::int32_t>& values, Progress& progress) {
    return ReadNative(path, layout, values, progress);
}

FileResult ReadNativeFile(const std::string& path, PointLayout layout,
                          std::vector<std::int16_t>& values) {
    return ReadNative(path, layout, values);
}

FileResult ResizeNativeFile(const std::string& path, std::size_t count, PointLayout layout) {
    const auto pointSize = static_cast<std::size_t>(BytesPerPoint(layout));
    std::ifstream in(path, std::ios::binary);
    const std::int64_t size = in ? FileSize(path) : 0;
    const std::size_t kept =
        std::min(count, static_cast<std::size_t>(std::max<std::int64_t>(size, 0)) / pointSize);
    int readError = 0;
    FileResult written = WriteFileAtomically(path, [&](std::ostream& out) {
        std::string bytes(std::min(kChunkPoints, count) * pointSize, '\0');
        std::vector<std::int32_t> points(std::min(kChunkPoints, count));
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(kChunkPoints, count - done);
            const std::size_t old = done < kept ? std::min(n, kept - done) : 0;
            errno = 0;
            if (old > 0 && !in.read(bytes.data(), static_cast<std::streamsize>(old * pointSize))) {
                readError = errno != 0 ? errno : EIO;
                return false;
            }
            DecodeNativeInto(std::string_view(bytes.data(), old * pointSize), layout,
                             points.data());
            std::fill(points.begin() + static_cast<std::ptrdiff_t>(old),
                      points.begin() + static_cast<std::ptrdiff_t>(n), 0);
            EncodeNativeInto<std::int32_t>(std::span(points).first(n), layout, bytes.data());
            if (!out.write(bytes.data(), static_cast<std::streamsize>(n * pointSize)))
                return false;
            done += n;
        }
        return true;
    });
    if (readError != 0)
        return FileResult::FromErrno(kRead, path, readError);
    return written;
}

FileResult WriteNativeFile(StagedFile& staged, SampleView points, PointLayout layout,
                           Progress& progress) {
    return std::visit([&](auto values) { return WriteNative(staged, values, layout, progress); },
                      points);
}

FileResult WriteNativeFile(const std::string& path, SampleView points, PointLayout layout,
                           Progress& progress) {
    StagedFile staged(path);
    if (FileResult written = WriteNativeFile(staged, points, layout, progress); !written)
        return written;
    return staged.commit();
}

} // namespace tw
