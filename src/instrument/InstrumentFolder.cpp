#include "instrument/InstrumentFolder.h"

#include <cstdlib>
#include <filesystem>

namespace tw {

std::string DefaultInstrumentFolder() {
    if (const char* dir = std::getenv("TIDEWRIGHT_INSTRUMENT_DIR"); dir && *dir)
        return dir;
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const auto installed = program.parent_path() / TW_INSTALLED_DATA_DIR / "instrument";
        if (std::filesystem::is_regular_file(installed / "TW2014.scpi", ec))
            return installed.lexically_normal().string();
    }
    return TW_SOURCE_DATA_DIR "/instrument";
}

} // namespace tw
