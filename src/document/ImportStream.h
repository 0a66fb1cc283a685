#pragma once
#include "app/FileUtil.h"
#include "document/WaveFormats.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// An import's input, read a piece at a time, so that no import holds a whole file: a file, or
// bytes already in memory.
class ImportSource {
  public:
    static constexpr std::size_t kAnyRead = std::numeric_limits<std::size_t>::max();
    // Bytes in memory; each read hands out at most mostPerRead of them (small reads cut the
    // input at every place, as the tests need).
    explicit ImportSource(std::string_view bytes, std::size_t mostPerRead = kAnyRead);
    // A file. A path that names no file is no failure of the system but an input that is not
    // there (!present()); one that cannot be opened is a failure.
    explicit ImportSource(const std::string& path);

    // From now on each read tells progress how far into the input it is; a cancel fails the
    // input (FileResult::cancelled).
    void reportTo(Progress* progress) { progress_ = progress; }

    bool present() const { return present_; }
    std::uint64_t size() const { return size_; }
    // Up to n bytes from the current position; 0 at the end or after a failure.
    std::size_t read(char* to, std::size_t n);
    // Reads n bytes from offset, or fewer at the end; the count read.
    std::size_t readAt(std::uint64_t offset, char* to, std::size_t n);
    // The same from the current position.
    std::size_t readFully(char* to, std::size_t n);
    void seek(std::uint64_t offset);
    // The file's path; empty for bytes in memory.
    const std::string& path() const { return path_; }
    // Why the import could not go on for a reason of the system (the file could not be read, a
    // temporary file not written); success while it could. The first reason stays.
    const FileResult& failure() const { return failure_; }
    void failed(FileResult why) {
        if (failure_)
            failure_ = std::move(why);
    }
    // What a reader found for the user: the message that replaces the bare kMsgCannotConvert when
    // the input holds no waveform of the form (the first stays), and how many values it held at the
    // code range's ends.
    void refuse(std::string message) {
        if (refusal_.empty())
            refusal_ = std::move(message);
    }
    const std::string& refusal() const { return refusal_; }
    void clip(std::size_t count) { clipped_ += count; }
    std::size_t clipped() const { return clipped_; }

  private:
    std::string path_;
    std::ifstream file_;
    std::string_view bytes_;
    std::size_t mostPerRead_ = kAnyRead;
    std::uint64_t size_ = 0, position_ = 0;
    bool present_ = true;
    FileResult failure_;
    std::string refusal_;
    std::size_t clipped_ = 0;
    Progress* progress_ = nullptr;
};

// Where an import's points go, a block at a time, in order.
class PointSink {
  public:
    virtual ~PointSink() = default;
    // False stops the import.
    virtual bool take(std::span<const std::int32_t> points) = 0;
    // How many points are coming, when the reader knows before it begins.
    virtual void expect(std::uint64_t) {}
};

// Gathers an import's points and hands them to the sink in blocks. It counts them and stops the
// import past the most points of the layout that memory holds.
class PointBatch {
  public:
    PointBatch(PointSink& sink, PointLayout layout);
    bool add(std::int32_t point) {
        if (used_ == block_.size() && !flush())
            return false;
        block_[used_++] = point;
        return true;
    }
    // A block at once, handed on as it is.
    bool addAll(std::span<const std::int32_t> points);
    // Tells the sink how many points are coming; false when memory cannot hold them.
    bool expect(std::uint64_t count);
    // Hands on what is gathered; false when the sink refused it or there are too many points.
    bool flush();
    std::uint64_t count() const { return handed_ + used_; }

  private:
    PointSink& sink_;
    std::uint64_t most_;
    std::uint64_t handed_ = 0;
    std::size_t used_ = 0;
    std::array<std::int32_t, 4096> block_{};
};

// An input's text in pieces that each end just after a byte for which `stop` holds (or at the end
// of the input), so that a token such bytes delimit lies whole in one piece: a parser that reads
// the pieces in turn reads what it would read in the whole text.
class TextPieces {
  public:
    TextPieces(ImportSource& source, bool (*stop)(char));
    // The next piece; empty at the end of the input (or when the source failed).
    std::string_view next();

  private:
    ImportSource& source_;
    bool (*stop_)(char);
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0; // the bytes not yet handed out
    bool atEnd_ = false;
};

// Collects an import's points in memory (the pure imports and the tests).
struct CollectedPoints : PointSink {
    std::vector<std::int32_t> points;
    void expect(std::uint64_t count) override { points.reserve(static_cast<std::size_t>(count)); }
    bool take(std::span<const std::int32_t> block) override {
        points.insert(points.end(), block.begin(), block.end());
        return true;
    }
};

// Counts an import's points and keeps their extremes, holding none of them (info).
struct PointExtremes : PointSink {
    std::uint64_t count = 0;
    std::int32_t lo = std::numeric_limits<std::int32_t>::max();
    std::int32_t hi = std::numeric_limits<std::int32_t>::min();
    bool take(std::span<const std::int32_t> points) override {
        for (std::int32_t p : points) {
            lo = p < lo ? p : lo;
            hi = p > hi ? p : hi;
        }
        count += points.size();
        return true;
    }
};

// Encodes an import's points as a native file into a stream.
class NativeEncoder : public PointSink {
  public:
    NativeEncoder(std::ostream& out, PointLayout layout) : out_(out), layout_(layout) {}
    bool take(std::span<const std::int32_t> points) override {
        return WriteNativePoints(out_, points, layout_);
    }

  private:
    std::ostream& out_;
    PointLayout layout_;
};

} // namespace tw
