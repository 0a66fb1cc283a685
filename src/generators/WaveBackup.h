#pragma once
#include "generators/GeneratorTarget.h"

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

// The dialog backup of a target, for editors that keep it beside their target.
class GeneratorBackup {
  public:
    explicit GeneratorBackup(GeneratorTarget& target) : target_(target) {}
    bool Save() { return target_.backupForDialog(); }
    bool Restore() { return target_.restoreDialogBackup(); }
    void Keep() { target_.keepGenerated(); } // commit, then the backup becomes the undo file

  private:
    GeneratorTarget& target_;
};

} // namespace tw
