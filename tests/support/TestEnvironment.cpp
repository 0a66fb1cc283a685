#include "support/TestEnvironment.h"

#include "support/Sandbox.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tw::test {

namespace {

std::string& PrivateFolder() {
    static std::string folder;
    return folder;
}

void RemovePrivateFolder() {
    std::error_code ec;
    std::filesystem::remove_all(PrivateFolder(), ec);
}

void SetFolder(const char* variable, const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ec);
    setenv(variable, folder.c_str(), 1);
}

} // namespace

void IsolateTestProcess() {
    setenv("TIDEWRIGHT_NONINTERACTIVE", "1", 1);
    // A display someone chose on purpose (Xvfb) is kept; otherwise no window needs a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PrivateFolder() = MakeTempFolder("tw-env");
    std::atexit(RemovePrivateFolder);
    const std::string& root = PrivateFolder();
    SetFolder("APPDATA", root + "/appdata");
    SetFolder("XDG_DATA_HOME", root + "/data");
    SetFolder("XDG_CONFIG_HOME", root + "/config");
    SetFolder("XDG_CACHE_HOME", root + "/cache");
    SetFolder("XDG_RUNTIME_DIR", root + "/runtime");
    SetFolder("TIDEWRIGHT_LINK_DIR", root + "/link");
}

} // namespace tw::test
