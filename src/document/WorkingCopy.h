#pragma once
#include "app/FileUtil.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace tw {

// A copy of a file made by a thread of its own and staged beside its target until it is taken:
// after Open of a file outside the tmp folder, the working file is made while the user looks at
// the wave, so that the first edit is written into it where it lies instead of writing the
// whole wave anew.
class WorkingCopy {
  public:
    WorkingCopy() = default;
    ~WorkingCopy() { Cancel(); }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    // Copies from to a temporary beside to; a copy under way is dropped first. tag names what
    // the copy is for, so that Take hands it only to that.
    void Start(const std::string& from, const std::string& to, unsigned tag);
    // Waits for the copy of to tagged tag and renames it over to; true when to then holds what
    // from held at Start (a from changed since is not copied). Any other copy is dropped.
    bool Take(const std::string& to, unsigned tag);
    // Drops a copy under way or not taken: its thread stops at its next block and removes what
    // it wrote. Waits for that thread, which must not outlive the process's static state (the
    // staged writer's bookkeeping) at exit.
    void Cancel();
    // Whether a copy is under way (not yet finished).
    bool busy() const { return state_ && !state_->finished; }

  private:
    struct State {
        std::atomic<bool> cancel{false}, finished{false};
        StagedFile staged;
        bool copied = false;
        unsigned tag = 0;
    };
    std::shared_ptr<State> state_; // shared with the copying thread
    std::thread thread_;

    static void Copy(State& state, const std::string& from);
};

} // namespace tw
