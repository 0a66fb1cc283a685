#include "document/WorkingCopy.h"

#include <cerrno>
#include <ostream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

void WorkingCopy::Start(const std::string& from, const std::string& to, unsigned tag) {
    Cancel();
    staged_ = StagedFile(to);
    tag_ = tag;
    finished_ = false;
    thread_ = std::thread([this, from] { Copy(from); });
}

void WorkingCopy::Copy(const std::string& from) {
    struct Finish {
        std::atomic<bool>& finished;
        ~Finish() { finished = true; }
    } finish{finished_};
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat before {
    }, after{};
    if (fd < 0 || ::fstat(fd, &before) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    std::vector<char> chunk(1 << 20);
    const FileResult written = staged_.write([&](std::ostream& out) {
        for (;;) {
            if (cancel_)
                return false;
            const ssize_t n = ::read(fd, chunk.data(), chunk.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n == 0;
            if (!out.write(chunk.data(), n))
                return false;
        }
    });
    // Whatever changed the file meanwhile may have torn the copy.
    copied_ = written && ::fstat(fd, &after) == 0 && SameFile(before, after);
    ::close(fd);
}

bool WorkingCopy::Take(const std::string& to, unsigned tag) {
    if (!thread_.joinable() || tag != tag_ || to != staged_.target()) {
        Cancel();
        return false;
    }
    thread_.join();
    const bool taken = copied_ && staged_.commit();
    Cancel();
    return taken;
}

void WorkingCopy::Cancel() {
    cancel_ = true;
    if (thread_.joinable())
        thread_.join();
    cancel_ = false;
    copied_ = false;
    staged_.discard();
}

} // namespace tw
