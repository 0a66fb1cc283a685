#pragma once
// The crafted MATLAB files of tests/data/hostile/ (make_hostile_mat.c) and what reading each
// must say: they point the reader at other files, claim more than they hold, or crash the
// library.
#include <string>
#include <vector>

namespace tw::test {

struct HostileFile {
    const char* name;
    const char* why; // found in the refusal
};

const std::vector<HostileFile>& HostileMatFiles();

// Copies the files, and what they point at (with a FIFO named "fifo"), into folder, and makes
// it the working folder (external names are relative to it) until destroyed.
class HostileFolder {
  public:
    explicit HostileFolder(const std::string& folder);
    ~HostileFolder();
    HostileFolder(const HostileFolder&) = delete;
    HostileFolder& operator=(const HostileFolder&) = delete;
    std::string at(const std::string& name) const { return folder_ + "/" + name; }

  private:
    std::string folder_;
    std::string previous_;
};

} // namespace tw::test
