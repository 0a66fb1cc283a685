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

// The copy's bytes on the disk here, off the user's way: otherwise the first edit's flush of
// its journal would wait for the file system to write the whole copy.
bool Flush(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool flushed = fd >= 0 && ::fdatasync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return flushed;
}

} // namespace

void WorkingCopy::Start(const std::string& from, const std::string& to, unsigned tag) {
    Cancel();
    state_ = std::make_shared<State>();
    state_->staged = StagedFile(to);
    state_->tag = tag;
    thread_ = std::thread([state = state_, from] { Copy(*state, from); });
}

void WorkingCopy::Copy(State& state, const std::string& from) {
    struct Finish {
        State& state;
        ~Finish() {
            if (state.cancel)
                state.staged.discard();
            state.finished = true;
        }
    } finish{state};
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat before {
    }, after{};
    if (fd < 0 || ::fstat(fd, &before) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    std::vector<char> chunk(1 << 20);
    const FileResult written = state.staged.write([&](std::ostream& out) {
        for (;;) {
            if (state.cancel)
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
    state.copied = written && ::fstat(fd, &after) == 0 && SameFile(before, after) &&
                   !state.cancel && Flush(state.staged.temporary());
    ::close(fd);
}

bool WorkingCopy::Take(const std::string& to, unsigned tag) {
    if (!state_ || tag != state_->tag || to != state_->staged.target()) {
        Cancel();
        return false;
    }
    thread_.join();
    const bool taken = state_->copied && state_->staged.commit();
    Cancel();
    return taken;
}

void WorkingCopy::Cancel() {
    if (!state_)
        return;
    state_->cancel = true;
    if (thread_.joinable())
        thread_.join();
    state_.reset();
}

} // namespace tw
