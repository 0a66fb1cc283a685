#include "expr/WaveOperandFile.h"

#include "app/FileUtil.h"
#include "document/WaveFormats.h"

#include <filesystem>

namespace tw {

namespace fs = std::filesystem;

std::optional<std::string> FindWaveOperandFile(const std::string& path) {
    std::error_code ec;
    if (path.empty())
        return std::nullopt;
    if (fs::is_regular_file(path, ec))
        return path;
    fs::path p(path);
    fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    std::string name = p.filename().string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(it->path().filename().string(), name) && it->is_regular_file(ec))
            return it->path().string();
    }
    return std::nullopt;
}

// Whatever the composer, the engine reads every operand file as 16-bit words.
bool ReadWaveOperand(const std::string& path, WaveOperand& wave) {
    NativeReadResult read = ReadNativeFile(path, PointLayout::Int16);
    if (!read.ok)
        return false;
    wave.path = path;
    wave.bytes = FileSize(path);
    wave.samples = std::move(read.points);
    return true;
}

} // namespace tw
