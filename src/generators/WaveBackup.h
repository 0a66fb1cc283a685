#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tw {

struct GeneratorTarget;

// The generator dialogs' copy of the wave as it was when they opened: raw little-endian
// points, 2 bytes each (standard) or 4 (FM).
std::string WaveBackupPath(); // tmp folder + "orgWave.tmp"
bool SaveWaveBackup(const std::string& path, std::span<const std::int32_t> points,
                    int bytesPerPoint);
// Replaces points by the backup's contents; false (points untouched) when it cannot be read.
bool LoadWaveBackup(const std::string& path, std::vector<std::int32_t>& points, int bytesPerPoint);
// Raw little-endian bytes of points, as the backup and the host's wave files hold them.
std::string PackPoints(std::span<const std::int32_t> points, int bytesPerPoint);

// The dialog side of the backup: taken when a generator dialog opens, put back by Preview and
// Cancel, and made the undo step when the dialog keeps its result.
class GeneratorBackup {
  public:
    explicit GeneratorBackup(GeneratorTarget& target);
    void Save();
    bool Restore();
    // Commits the generated wave and moves the backup over the undo file, so that one Undo
    // returns to the wave from before the dialog.
    void Keep();

  private:
    GeneratorTarget& target_;
    std::string path_;
};

} // namespace tw
