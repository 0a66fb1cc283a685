#include "expr/WaveOperandFile.h"

#include "app/FileUtil.h"

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

// Kept apart from the document's file formats on purpose: the engine reads every operand as
// 16-bit words, whatever the composer's own point size.
bool ReadWaveOperand(const std::string& path, WaveOperand& wave) {
    auto bytes = ReadWholeFile(path);
    if (!bytes)
        return false;
    wave.path = path;
    wave.bytes = static_cast<std::int64_t>(bytes->size());
    wave.samples.resize(bytes->size() / 2);
    for (std::size_t i = 0; i < wave.samples.size(); ++i) {
        auto lo = static_cast<unsigned char>((*bytes)[2 * i]);
        auto hi = static_cast<unsigned char>((*bytes)[2 * i + 1]);
        wave.samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
    }
    return true;
}

} // namespace tw
