#include "document/ImportStream.h"

#include "app/PointLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tw {

namespace {

constexpr auto kRead = FileResult::Action::Read;
// A piece fits the second-level cache with room for what its parser writes.
constexpr std::size_t kPieceBytes = 256 << 10;

std::size_t InMemoryBytes(PointLayout layout) {
    return layout == PointLayout::Int16 ? sizeof(std::int16_t) : sizeof(std::int32_t);
}

} // namespace

ImportSource::ImportSource(std::string_view bytes, std::size_t mostPerRead)
    : bytes_(bytes), mostPerRead_(std::max<std::size_t>(mostPerRead, 1)), size_(bytes.size()) {}

ImportSource::ImportSource(const std::string& path) : path_(path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        present_ = false;
        if (FileExists(path))
            failure_ = FileResult::Failed(kRead, path, ec);
        return;
    }
    size_ = size;
    file_.open(path, std::ios::binary);
    if (!file_)
        failure_ = FileResult::FromErrno(kRead, path, errno);
}

std::size_t ImportSource::read(char* to, std::size_t n) {
    if (!failure_ || position_ >= size_)
        return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>({n, mostPerRead_, size_ - position_}));
    if (path_.empty()) {
        std::memcpy(to, bytes_.data() + position_, n);
    } else {
        errno = 0;
        file_.read(to, static_cast<std::streamsize>(n));
        if (static_cast<std::size_t>(file_.gcount()) != n) {
            // The file is shorter than it was when the import began, or the system failed.
            failure_ = errno != 0 ? FileResult::FromErrno(kRead, path_, errno)
                                  : FileResult::Failed(kRead, path_, "the file ended early");
            return 0;
        }
    }
    position_ += n;
    return n;
}

void ImportSource::seek(std::uint64_t offset) {
    position_ = std::min(offset, size_);
    if (!path_.empty() && failure_) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(position_));
    }
}

std::size_t ImportSource::readAt(std::uint64_t offset, char* to, std::size_t n) {
    seek(offset);
    return readFully(to, n);
}

std::size_t ImportSource::readFully(char* to, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const std::size_t got = read(to + done, n - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

PointBatch::PointBatch(PointSink& sink, PointLayout layout)
    : sink_(sink), most_(MemoryPointLimit(InMemoryBytes(layout))) {}

bool PointBatch::flush() {
    if (used_ == 0)
        return true;
    if (handed_ + used_ > most_ || !sink_.take(std::span(block_).first(used_)))
        return false;
    handed_ += used_;
    used_ = 0;
    return true;
}

bool PointBatch::addAll(std::span<const std::int32_t> points) {
    if (!flush() || handed_ + points.size() > most_ || !sink_.take(points))
        return false;
    handed_ += points.size();
    return true;
}

bool PointBatch::expect(std::uint64_t count) {
    if (handed_ + used_ + count > most_)
        return false;
    sink_.expect(count);
    return true;
}

TextPieces::TextPieces(ImportSource& source, bool (*stop)(char))
    : source_(source), stop_(stop), buffer_(kPieceBytes) {}

std::string_view TextPieces::next() {
    // The bytes after the last piece's end hold no stop byte: they move to the front, and only
    // what is read after them is searched.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    for (;;) {
        const std::size_t searched = end_;
        if (!atEnd_) {
            if (end_ == buffer_.size())
                buffer_.resize(buffer_.size() * 2); // no stop byte in a whole buffer
            const std::size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
            atEnd_ = got == 0;
            end_ += got;
        }
        if (atEnd_) {
            begin_ = end_;
            return {buffer_.data(), end_};
        }
        for (std::size_t i = end_; i > searched; --i)
            if (stop_(buffer_[i - 1])) {
                begin_ = i;
                return {buffer_.data(), i};
            }
    }
}

} // namespace tw
