#include "document/IsolatedImport.h"

#include "app/MessageIds.h"
#include "app/PointLimits.h"
#include "app/StringTable.h"
#include "document/PointMapping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace tw {

namespace {

constexpr std::uint64_t kReaderMargin = std::uint64_t{512} << 20;
// A library's values (doubles) and its own copy of the data come on top of the file's bytes.
constexpr std::uint64_t kBytesPerFileByte = 16;

constexpr std::size_t kBlockPoints = 1 << 16;
constexpr std::uint64_t kMostErrorBytes = 1 << 16;

// The child's result comes as records, each this header and its payload: points as they come (a
// block at most), the count it expects, and last its end: ok, clipped and the error text.
struct Record {
    enum Kind : std::uint64_t { kPoints = 1, kExpect, kEnd };
    std::uint64_t kind;
    std::uint64_t count; // points, points expected, or the error's bytes
    std::uint64_t ok;
    std::uint64_t clipped;
};

// Writes the records as the reader makes them.
class ResultWriter : public PointSink {
  public:
    explicit ResultWriter(int fd) : fd_(fd) {}
    void expect(std::uint64_t count) override {
        written_ = written_ && put({Record::kExpect, count, 0, 0}, {});
    }
    bool take(std::span<const std::int32_t> points) override {
        for (std::size_t at = 0; written_ && at < points.size(); at += kBlockPoints) {
            const auto block = points.subspan(at, std::min(kBlockPoints, points.size() - at));
            written_ = put({Record::kPoints, block.size(), 0, 0},
                           {reinterpret_cast<const char*>(block.data()), block.size_bytes()});
        }
        return written_;
    }
    bool finish(const ImportResult& made) {
        const std::string_view error =
            std::string_view(made.error).substr(0, static_cast<std::size_t>(kMostErrorBytes));
        return written_ && put({Record::kEnd, error.size(), made.ok, made.clipped}, error);
    }

  private:
    bool put(const Record& record, std::string_view payload) const {
        return WriteAll(fd_, &record, sizeof record) &&
               WriteAll(fd_, payload.data(), payload.size());
    }
    int fd_;
    bool written_ = true;
};

// Takes the child's records as their bytes come, the points on to out a block at a time.
class ResultReader {
  public:
    ResultReader(PointSink& out, PointLayout layout) : batch_(out, layout) {}

    // False when the records are damaged or out refused the points.
    bool feed(std::span<const char> bytes) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        std::size_t used = 0;
        while (ok_ && pending_.size() - used >= sizeof(Record)) {
            Record r;
            std::memcpy(&r, pending_.data() + used, sizeof r);
            // Every count is checked before it sizes anything.
            const std::uint64_t payload = r.kind == Record::kPoints ? r.count * sizeof(std::int32_t)
                                          : r.kind == Record::kEnd  ? r.count
                                                                    : 0;
            if (ended_ || r.kind < Record::kPoints || r.kind > Record::kEnd ||
                (r.kind == Record::kPoints && r.count > kBlockPoints) ||
                (r.kind == Record::kEnd && r.count > kMostErrorBytes)) {
                damaged_ = true;
                return ok_ = false;
            }
            if (pending_.size() - used - sizeof r < payload)
                break;
            take(r, pending_.data() + used + sizeof r);
            used += sizeof r + static_cast<std::size_t>(payload);
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
        return ok_;
    }

    // Whether the program stopped taking the records (damaged, or refused by out).
    bool stopped() const { return !ok_; }

    // What the child made, once its output has ended.
    ImportResult result() {
        if (damaged_ || (ok_ && (!ended_ || !pending_.empty())))
            return UnreadableFile("its reader gave a damaged result");
        if (!ok_ || !batch_.flush())
            return ImportFailed();
        return std::move(end_);
    }

  private:
    void take(const Record& r, const char* payload) {
        if (r.kind == Record::kExpect) {
            ok_ = r.count <= kMaxWavePoints && batch_.expect(r.count);
        } else if (r.kind == Record::kPoints) {
            block_.resize(static_cast<std::size_t>(r.count));
            std::memcpy(block_.data(), payload, block_.size() * sizeof(std::int32_t));
            ok_ = batch_.addAll(block_);
        } else {
            ended_ = true;
            end_.ok = r.ok != 0;
            end_.clipped = r.clipped;
            end_.error.assign(payload, static_cast<std::size_t>(r.count));
        }
    }
    PointBatch batch_;
    std::vector<char> pending_;
    std::vector<std::int32_t> block_;
    ImportResult end_;
    bool ended_ = false, ok_ = true, damaged_ = false;
};

ImportResult RunReader(const std::function<ImportResult(PointSink& out)>& read,
                       std::size_t fileBytes, PointSink& out, const ImportContext& ctx) {
    ResultReader result(out, ctx.layout);
    IsolatedOutcome outcome = RunIsolated(
        [&](int output) {
            ResultWriter writer(output);
            return writer.finish(read(writer));
        },
        ReaderLimits(fileBytes), ctx.progress ? *ctx.progress : NoProgress(),
        [&](std::span<const char> bytes) { return result.feed(bytes); });
    if (outcome.cancelled)
        return ImportFailed(FileResult::Cancelled(FileResult::Action::Read, "the reader"));
    return outcome.ok || result.stopped() ? result.result() : UnreadableFile(outcome.why);
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
