#pragma once
#include <cstdint>

namespace tw {

// How a long operation (a generator, a formula, an import ...) reports how far it has come and
// learns that the user cancelled it. The operation calls advance now and then on the thread that
// started it; on false it stops and leaves what it worked on exactly as it was before it began.
struct Progress {
    virtual bool advance(std::uint64_t done, std::uint64_t total) = 0;
    virtual ~Progress() = default;
};

// Tells nobody and never cancels: for callers without a user to show it to.
Progress& NoProgress();

// Passes each advance on and remembers a cancel, for a caller whose work below it only learns
// "stop" (a stream writer's false) and must tell a cancel from a failure.
class CancelWatch final : public Progress {
  public:
    explicit CancelWatch(Progress& inner) : inner_(inner) {}
    bool advance(std::uint64_t done, std::uint64_t total) override {
        cancelled_ = cancelled_ || !inner_.advance(done, total);
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }

  private:
    Progress& inner_;
    bool cancelled_ = false;
};

} // namespace tw
