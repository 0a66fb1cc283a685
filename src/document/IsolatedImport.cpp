#include "document/IsolatedImport.h"

#include "app/PointLimits.h"
#include "document/PointMapping.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

namespace tw {

namespace {

constexpr std::uint64_t kReaderMargin = std::uint64_t{512} << 20;
// A library's values (doubles) and its own copy of the data come on top of the file's bytes.
constexpr std::uint64_t kBytesPerFileByte = 16;

// The child's result: this header, the error text, then the points.
struct ResultHeader {
    std::uint64_t ok;
    std::uint64_t clipped;
    std::uint64_t errorBytes;
    std::uint64_t count;
};

bool WriteResult(int fd, const ImportResult& result) {
    const ResultHeader header{result.ok, result.clipped, result.error.size(), result.points.size()};
    return WriteAll(fd, &header, sizeof header) &&
           WriteAll(fd, result.error.data(), result.error.size()) &&
           WriteAll(fd, result.points.data(), result.points.size() * sizeof(std::int32_t));
}

ImportResult ReadResult(int fd) {
    struct stat info {};
    ResultHeader header{};
    if (::fstat(fd, &info) != 0 || !ReadAllAt(fd, &header, sizeof header, 0))
        return UnreadableFile("its reader gave no result");
    const auto size = static_cast<std::uint64_t>(info.st_size);
    // Every count is checked against what the child wrote before it sizes anything.
    if (header.errorBytes > size || header.count > kMaxWavePoints ||
        size != sizeof header + header.errorBytes + header.count * sizeof(std::int32_t))
        return UnreadableFile("its reader gave a damaged result");
    ImportResult result;
    result.ok = header.ok != 0;
    result.clipped = header.clipped;
    result.error.resize(header.errorBytes);
    result.points.resize(header.count);
    if (!ReadAllAt(fd, result.error.data(), result.error.size(), sizeof header) ||
        !ReadAllAt(fd, result.points.data(), result.points.size() * sizeof(std::int32_t),
                   sizeof header + header.errorBytes))
        return UnreadableFile("its reader gave a damaged result");
    return result;
}

} // namespace

IsolationLimits ReaderLimits(std::size_t fileBytes) {
    IsolationLimits limits;
    // The fuzzers give each input seconds, not minutes.
    if (const char* seconds = std::getenv("TIDEWRIGHT_READER_SECONDS")) {
        limits.cpuSeconds = std::clamp(std::atoi(seconds), 1, limits.cpuSeconds);
        limits.wallClock = std::chrono::seconds(limits.cpuSeconds);
    }
    limits.memoryBytes =
        std::min<std::uint64_t>(kReaderMargin + kBytesPerFileByte * fileBytes,
                                std::max<std::uint64_t>(PhysicalMemoryBytes(), kReaderMargin));
    limits.outputBytes = limits.memoryBytes;
    return limits;
}

ImportResult UnreadableFile(const std::string& why) {
    return ImportRefused("The file could not be read: " + why + ".");
}

ImportResult ImportIsolated(std::string_view bytes, const ImportContext& ctx,
                            const WholeImport& import) {
    IsolatedOutcome outcome =
        RunIsolated([&](int output) { return WriteResult(output, import(bytes, ctx)); },
                    ReaderLimits(bytes.size()), ctx.progress ? *ctx.progress : NoProgress());
    if (outcome.cancelled)
        return ImportFailed(FileResult::Cancelled(FileResult::Action::Read, "the reader"));
    return outcome.ok ? ReadResult(outcome.output.get()) : UnreadableFile(outcome.why);
}

} // namespace tw
