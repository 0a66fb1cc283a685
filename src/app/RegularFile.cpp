#include "app/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t most) {
    // Without O_NONBLOCK a FIFO's open waits for a writer for ever; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> data;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        data.emplace(std::min(static_cast<std::size_t>(info.st_size), most), '\0');
        std::size_t done = 0;
        while (done < data->size()) {
            const ssize_t n = ::read(fd, data->data() + done, data->size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        data->resize(done);
    }
    ::close(fd);
    return data;
}

} // namespace tw
