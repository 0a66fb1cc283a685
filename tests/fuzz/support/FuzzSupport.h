#pragma once
// Helpers shared by the fuzz entries: a silent prompter, a private scratch folder and the check
// that stops the run.
#include "app/Prompter.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace tw::fuzz {

inline void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

struct SilentPrompter : Prompter {
    Answer ask(std::string_view, std::string_view, Buttons b, Icon) override {
        return defaultAnswer(b);
    }
};

inline Prompter& InstallSilentPrompter() {
    static SilentPrompter silent;
    setPrompter(&silent);
    return silent;
}

// One folder per process, so that parallel fuzzing jobs never share files; /dev/shm when there.
inline const std::string& ScratchFolder(const char* stem) {
    static const std::string folder = [stem] {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        auto p = base / (std::string(stem) + "-" + std::to_string(getpid()));
        std::filesystem::create_directories(p);
        return p.string() + "/";
    }();
    return folder;
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace tw::fuzz
