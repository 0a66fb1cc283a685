#pragma once
#include "app/FileUtil.h"

#include <atomic>
#include <cstdint>
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
    // Drops a copy under way or not taken.
    void Cancel();
    // Whether a copy is under way (not yet finished).
    bool busy() const { return thread_.joinable() && !finished_; }

  private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    StagedFile staged_;
    bool copied_ = false;
    unsigned tag_ = 0;

    void Copy(const std::string& from);
};

} // namespace tw
