#include "generators/WaveBackup.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "generators/GeneratorTarget.h"

namespace tw {

std::string WaveBackupPath() {
    return launch().tmpFolder + "orgWave.tmp";
}

std::string PackPoints(std::span<const std::int32_t> points, int bytesPerPoint) {
    std::string bytes;
    bytes.resize(points.size() * static_cast<size_t>(bytesPerPoint));
    size_t at = 0;
    for (std::int32_t p : points) {
        auto u = static_cast<std::uint32_t>(p);
        for (int b = 0; b < bytesPerPoint; ++b)
            bytes[at++] = static_cast<char>((u >> (8 * b)) & 0xFF);
    }
    return bytes;
}

bool SaveWaveBackup(const std::string& path, std::span<const std::int32_t> points,
                    int bytesPerPoint) {
    return WriteFileAtomically(path, PackPoints(points, bytesPerPoint));
}

bool LoadWaveBackup(const std::string& path, std::vector<std::int32_t>& points, int bytesPerPoint) {
    auto bytes = ReadWholeFile(path);
    if (!bytes)
        return false;
    const size_t n = bytes->size() / static_cast<size_t>(bytesPerPoint);
    points.assign(n, 0);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes->data());
    for (size_t i = 0; i < n; ++i, p += bytesPerPoint) {
        std::uint32_t u = 0;
        for (int b = 0; b < bytesPerPoint; ++b)
            u |= static_cast<std::uint32_t>(p[b]) << (8 * b);
        points[i] =
            bytesPerPoint == 2 ? static_cast<std::int16_t>(u) : static_cast<std::int32_t>(u);
    }
    return true;
}

static int BackupBytes(const GeneratorTarget& t) {
    return t.isFm() ? 4 : 2;
}

bool GeneratorTarget::backupForDialog() {
    return SaveWaveBackup(WaveBackupPath(), points(), BackupBytes(*this));
}

bool GeneratorTarget::restoreDialogBackup() {
    return LoadWaveBackup(WaveBackupPath(), points(), BackupBytes(*this));
}

bool GeneratorTarget::acceptDialogBackup() {
    return CopyFileOver(WaveBackupPath(), undoFile()); // the menu command removes the backup
}

} // namespace tw
