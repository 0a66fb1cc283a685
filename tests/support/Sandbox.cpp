#include "support/Sandbox.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace tw::test {

std::string MakeTempFolder(const std::string& stem) {
    std::random_device rd;
    for (;;) {
        fs::path p = fs::temp_directory_path() / (stem + "-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec))
            return p.string();
    }
}

Sandbox::Sandbox(int composerId, bool withExchangeFile) : root_(MakeTempFolder("tw-test")) {
    LaunchState s;
    DeriveLaunchPaths(s, root_);
    s.composerId = composerId;
    s.appName = composerId == 1 ? "FM Tidewright" : composerId == 2 ? "Trainsmith" : "Tidewright";
    CreateFolder(s.tmpFolder);
    CreateFolder(s.generalFolder);
    descr_ = root_ + "/TW2014.ini";
    CopyFileOver(std::string(TW_SOURCE_DIR) + "/data/instrument/TW2014.ini", descr_);
    if (withExchangeFile) {
        std::ofstream(s.exchangeFile)
            << "[Instrument]\nDescrFile=" << descr_ << "\nFamily=TW2000\nModel=TW2014\nChannels=2\n"
            << "[Settings]\nActiveCh=0\nAcSeg=1 1 \n";
        s.descrFile = descr_;
        s.family = "TW2000";
    }
    s.reports = &prompts;
    session_ = s;
    profile::ClearCache();
    setPrompter(&prompts);
    // The application's own settings and the host-link registrations stay inside the sandbox,
    // also for the programs a test starts.
    for (const char* name : {"XDG_CONFIG_HOME", "TIDEWRIGHT_LINK_DIR"}) {
        const char* before = getenv(name);
        savedEnv_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
    }
    setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    setenv("TIDEWRIGHT_LINK_DIR", (root_ + "/link").c_str(), 1);
}

Sandbox::~Sandbox() {
    setPrompter(nullptr);
    profile::ClearCache();
    // The process's own private folders again, never the user's.
    for (const auto& [name, value] : savedEnv_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void Sandbox::useFpSegments(int segment, const std::string& range) {
    session_.fpSegMode = true;
    set(exchange(), "Settings", "FPSeg", std::to_string(segment));
    set(descr_, "ParmLst", "FPSeg", range);
}

std::string Sandbox::tmp() const {
    return root_ + "/Consolia/tmp/";
}
std::string Sandbox::exchange() const {
    return tmp() + "TempOndex.ondex";
}

std::string Sandbox::write(const std::string& name, const std::string& content) const {
    std::string path = root_ + "/" + name;
    CreateFolder(FolderOf(path));
    std::ofstream(path, std::ios::binary) << content;
    profile::ClearCache();
    return path;
}

void Sandbox::set(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) const {
    profile::WriteValue(file, section, key, value);
}

std::string Sandbox::get(const std::string& file, const std::string& section,
                         const std::string& key) const {
    return profile::GetValue(file, section, key).value_or("<absent>");
}

} // namespace tw::test
