#pragma once
#include "app/LaunchState.h"

#include <string>

namespace tw::python {

// A private application-data folder under the system's temporary folder, for the calls that
// read or write the program's files: its tmp folder holds an exchange file naming a description
// file (a copy of the sample instrument, or of the one given) and the general settings. The
// user's own application-data folder is never touched. Removed with everything in it when
// destroyed. Made and used only under the core lock.
class PrivateFolder {
  public:
    // description: a description file to copy, or "" for the sample instrument. Throws a
    // Refusal when the folder cannot be made or the description not read.
    PrivateFolder(int composerId, const std::string& description);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const LaunchState& state() const { return state_; }
    LaunchState& state() { return state_; }
    const std::string& root() const { return root_; }
    // Copies the description file `path` ("" for the sample instrument) into the folder under
    // `name` and returns the copy's path.
    std::string CopyDescription(const std::string& path, const std::string& name);

  private:
    std::string root_;
    LaunchState state_;
};

// Empties the profile store's cache on both sides of a core call, since the folders of a call
// go away.
class ProfileCacheScope {
  public:
    ProfileCacheScope();
    ~ProfileCacheScope();
    ProfileCacheScope(const ProfileCacheScope&) = delete;
    ProfileCacheScope& operator=(const ProfileCacheScope&) = delete;
};

} // namespace tw::python
