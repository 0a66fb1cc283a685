#include "instrument/BlockWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

constexpr std::size_t kPieceBytes = 1 << 20;

Status FileFailure(const std::string& path, const std::string& what, int error) {
    return Status::Failed("cannot " + what + " " + path + ": " + std::strerror(error));
}

class FileHandle {
  public:
    explicit FileHandle(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

void SwapPoints(std::span<char> bytes, int pointBytes) {
    for (std::size_t i = 0; i + pointBytes <= bytes.size(); i += pointBytes)
        std::reverse(bytes.begin() + i, bytes.begin() + i + pointBytes);
}

} // namespace

std::string BlockHeader(std::uint64_t bytes) {
    if (bytes > kMostBlockBytes)
        return {};
    const std::string length = std::to_string(bytes);
    return "#" + std::to_string(length.size()) + length;
}

BlockSource BlockSource::Files(std::vector<std::string> paths) {
    BlockSource s;
    s.paths_ = std::move(paths);
    return s;
}

BlockSource BlockSource::Memory(std::span<const char> bytes) {
    BlockSource s;
    s.memory_ = bytes;
    return s;
}

Status BlockSource::measure(std::uint64_t& bytes) const {
    bytes = memory_.size();
    for (const std::string& path : paths_) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return FileFailure(path, "read", errno);
        if (!S_ISREG(st.st_mode))
            return Status::Failed("cannot read " + path + ": not a regular file");
        bytes += static_cast<std::uint64_t>(st.st_size);
    }
    return {};
}

Status BlockSource::forEach(std::size_t pieceBytes,
                            const std::function<Status(std::span<char>)>& piece) const {
    auto buffer = std::make_unique<char[]>(pieceBytes);
    for (std::size_t at = 0; at < memory_.size(); at += pieceBytes) {
        const std::size_t n = std::min(pieceBytes, memory_.size() - at);
        std::memcpy(buffer.get(), memory_.data() + at, n);
        if (Status s = piece({buffer.get(), n}); !s)
            return s;
    }
    for (const std::string& path : paths_) {
        FileHandle file(path);
        if (file.fd() < 0)
            return FileFailure(path, "open", errno);
        for (;;) {
            const ssize_t n = ::read(file.fd(), buffer.get(), pieceBytes);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return FileFailure(path, "read", errno);
            if (n == 0)
                break;
            if (Status s = piece({buffer.get(), static_cast<std::size_t>(n)}); !s)
                return s;
        }
    }
    return {};
}

BlockWrite WriteBlock(Transport& transport, const std::string& command, const BlockSource& source,
                      int pointBytes, bool bigEndian, const TransferProgress& progress,
                      std::uint64_t progressBase, std::uint64_t progressTotal) {
    BlockWrite result;
    if (result.status = source.measure(result.bytes); !result.status)
        return result;
    if (progressTotal == 0)
        progressTotal = result.bytes;
    const std::string header = BlockHeader(result.bytes);
    if (header.empty()) {
        result.status = Status::Failed("a block of " + std::to_string(result.bytes) +
                                       " bytes does not fit a definite-length header (at most " +
                                       std::to_string(kMostBlockBytes) + " bytes)");
        return result;
    }
    const std::string head = command + " " + header;
    if (result.status = transport.write(head, false); !result.status)
        return result;
    std::uint64_t sent = 0;
    const std::string cancelled = "cancelled";
    result.status = source.forEach(kPieceBytes, [&](std::span<char> piece) -> Status {
        // Files may change size while they are read: never send more than the header promised.
        if (piece.size() > result.bytes - sent)
            return Status::Failed("a file grew while it was sent");
        if (bigEndian && pointBytes > 1)
            SwapPoints(piece, pointBytes);
        if (Status s = transport.write(piece, false); !s)
            return s;
        sent += piece.size();
        if (progress && !progress(progressBase + sent, progressTotal))
            return Status::Failed(cancelled);
        return {};
    });
    if (result.status && sent != result.bytes)
        result.status = Status::Failed("a file shrank while it was sent");
    if (result.status.error == cancelled)
        result.cancelled = true;
    if (result.status)
        result.status = transport.write(std::string_view("\n"), true);
    return result;
}

} // namespace tw
