#include "generators/WaveBackup.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/WaveFormats.h"
#include "generators/GeneratorTarget.h"

namespace tw {

std::string WaveBackupPath() {
    return launch().tmpFolder + "orgWave.tmp";
}

// The layout of the document's own files, so that the backup can become its undo file.
static PointLayout BackupLayout(const GeneratorTarget& t) {
    return t.composer().layout();
}

bool GeneratorTarget::backupForDialog() {
    return samples().WriteFile(WaveBackupPath(), BackupLayout(*this)).ok();
}

bool GeneratorTarget::restoreDialogBackup() {
    const std::size_t before = samples().size();
    if (!samples().ReadFile(WaveBackupPath(), BackupLayout(*this))) {
        if (samples().size() != before)
            pointsLost(before);
        return false;
    }
    pointsReloaded();
    return true;
}

bool GeneratorTarget::acceptDialogBackup() {
    return CopyFileOver(WaveBackupPath(), undoFile()).ok();
}

} // namespace tw
