#include "document/IsolatedImport.h"

#include "app/MessageIds.h"
#include "app/PointLimits.h"
#include "app/StringTable.h"
#include "document/PointMapping.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tw {

namespace {

constexpr std::uint64_t kReaderMargin = std::uint64_t{512} << 20;
// A library's values (doubles) and its own copy of the data come on top of the file's bytes.
constexpr std::uint64_t kBytesPerFileByte = 16;

constexpr std::size_t kBlockPoints = 1 << 16;

// The child's result: this header, the points, then the error text.
struct ResultHeader {
    std::uint64_t ok;
    std::uint64_t clipped;
    std::uint64_t errorBytes;
    std::uint64_t count;
};

// Writes the points as they come, then the header once the reader has ended.
class ResultWriter : public PointSink {
  public:
    explicit ResultWriter(int fd) : fd_(fd) {
        const ResultHeader none{};
        written_ = WriteAll(fd_, &none, sizeof none);
    }
    bool take(std::span<const std::int32_t> points) override {
        count_ += points.size();
        return written_ = written_ && WriteAll(fd_, points.data(), points.size_bytes());
    }
    bool finish(const ImportResult& made) {
        const ResultHeader header{made.ok, made.clipped, made.error.size(), count_};
        return written_ && WriteAll(fd_, made.error.data(), made.error.size()) &&
               ::lseek(fd_, 0, SEEK_SET) == 0 && WriteAll(fd_, &header, sizeof header);
    }

  private:
    int fd_;
    std::uint64_t count_ = 0;
    bool written_ = false;
};

// What the child made, its points handed on to out a block at a time.
ImportResult ReadResult(int fd, PointSink& out, PointLayout layout) {
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
    const std::uint64_t pointsAt = sizeof header;
    if (!ReadAllAt(fd, result.error.data(), result.error.size(),
                   pointsAt + header.count * sizeof(std::int32_t)))
        return UnreadableFile("its reader gave a damaged result");
    if (!result.ok)
        return result;
    PointBatch batch(out, layout);
    result.ok = batch.expect(header.count);
    std::vector<std::int32_t> block(std::min<std::size_t>(kBlockPoints, header.count));
    for (std::uint64_t done = 0; result.ok && done < header.count;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), header.count - done));
        if (!ReadAllAt(fd, block.data(), n * sizeof(std::int32_t),
                       pointsAt + done * sizeof(std::int32_t)))
            return UnreadableFile("its reader gave a damaged result");
        result.ok = batch.addAll(std::span(block).first(n));
        done += n;
    }
    result.ok = result.ok && batch.flush();
    return result;
}

ImportResult RunReader(const std::function<ImportResult(PointSink& out)>& read,
                       std::size_t fileBytes, PointSink& out, const ImportContext& ctx) {
    IsolatedOutcome outcome = RunIsolated(
        [&](int output) {
            ResultWriter writer(output);
            return writer.finish(read(writer));
        },
        ReaderLimits(fileBytes), ctx.progress ? *ctx.progress : NoProgress());
    if (outcome.cancelled)
        return ImportFailed(FileResult::Cancelled(FileResult::Action::Read, "the reader"));
    return outcome.ok ? ReadResult(outcome.output.get(), out, ctx.layout)
                      : UnreadableFile(outcome.why);
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
    CollectedPoints collected;
    ImportResult result = RunReader(
        [&](PointSink& out) {
            ImportResult made = import(bytes, ctx);
            if (made.ok && !out.take(made.points))
                made = UnreadableFile("its reader could not hand on its points");
            made.points = {};
            return made;
        },
        bytes.size(), collected, ctx);
    if (result.ok)
        result.points = std::move(collected.points);
    return result;
}

bool ReadIsolated(ImportSource& in, const ImportContext& ctx, PointSink& out,
                  const StreamedImport& read) {
    const ImportResult result = RunReader(
        [&](PointSink& child) {
            // The child keeps none of the program's descriptors (the number of the one the
            // program read the file by may now be the result's): it opens the file again.
            std::optional<ImportSource> again;
            if (!in.path().empty())
                again.emplace(in.path());
            ImportSource& source = again ? *again : in;
            ImportResult made = read(source, ctx, child);
            if (!source.failure())
                made = ImportFailed(source.failure());
            return made;
        },
        static_cast<std::size_t>(in.size()), out, ctx);
    if (result.failure.cancelled())
        in.failed(result.failure);
    if (!result.ok) {
        if (!result.error.empty() && result.error != StringText(kMsgCannotConvert))
            in.refuse(result.error);
        return false;
    }
    in.clip(result.clipped);
    return true;
}

} // namespace tw
