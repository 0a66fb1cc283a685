#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tw {

// The generator dialogs' copy of the wave as it was when they opened: raw little-endian
// points, 2 bytes each (standard) or 4 (FM).
std::string WaveBackupPath(); // tmp folder + "orgWave.tmp"
bool SaveWaveBackup(const std::string& path, std::span<const std::int32_t> points,
                    int bytesPerPoint);
// Replaces points by the backup's contents; false (points untouched) when it cannot be read.
bool LoadWaveBackup(const std::string& path, std::vector<std::int32_t>& points, int bytesPerPoint);
// Raw little-endian bytes of points, as the backup and the host's wave files hold them.
std::string PackPoints(std::span<const std::int32_t> points, int bytesPerPoint);

} // namespace tw
