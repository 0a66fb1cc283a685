#pragma once
#include <csignal>
#include <cstdint>

#include <sys/resource.h>

namespace tw::test {

// While alive, no file of this process may grow beyond `bytes`: writes past it fail with EFBIG,
// as on a full disk, also for root. The old limit and SIGXFSZ's handling come back afterwards.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes) {
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    void (*previousSignal_)(int) = nullptr;
};

} // namespace tw::test
