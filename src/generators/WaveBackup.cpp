#include "generators/WaveBackup.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/WaveFormats.h"
#include "generators/GeneratorTarget.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <variant>

namespace tw {

std::string WaveBackupPath(const std::string& tmpFolder) {
    return tmpFolder + "orgWave.tmp";
}

namespace {

// The layout of the document's own files, so that a copy can become its undo file.
PointLayout BackupLayout(const GeneratorTarget& t) {
    return t.composer().layout();
}

std::size_t StoredBytes(const Samples& s) {
    return s.width() == SampleWidth::Int16 ? 2 : 4;
}

// bytes.size() bytes of path at byte offset at, read into bytes or written from them.
bool TransferBytes(const std::string& path, std::size_t at, std::string& bytes, bool write) {
    std::fstream f(path, std::ios::binary | (write ? std::ios::in | std::ios::out : std::ios::in));
    if (write)
        f.seekp(static_cast<std::streamoff>(at))
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    else
        f.seekg(static_cast<std::streamoff>(at))
            .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace

bool GeneratorTarget::backupForDialog() {
    backup_ = {samples().pending() ? std::string() : pointsHeldBy(), false, 0, {}};
    if (!backup_.file.empty())
        return true;
    backup_ = {WaveBackupPath(composer().session().tmpFolder), true, 0, {}};
    return samples().WriteFile(backup_.file, BackupLayout(*this)).ok();
}

// From the borrowed file and the kept bytes, before a commit that they cannot follow.
bool GeneratorTarget::copyBackup() {
    if (backup_.copied)
        return true;
    const std::string copy = WaveBackupPath(composer().session().tmpFolder);
    if (!CopyFileOver(backup_.file, copy) ||
        (!backup_.kept.empty() &&
         !TransferBytes(copy, backup_.keptFirst * StoredBytes(samples()), backup_.kept, true)))
        return false;
    backup_ = {copy, true, 0, {}};
    return true;
}

bool GeneratorTarget::keepBackupThroughCommit() {
    const auto& marked = samples().pending();
    if (backup_.copied || backup_.file.empty() || !marked)
        return true;
    const std::size_t width = StoredBytes(samples());
    const std::size_t keptLast = backup_.keptFirst + backup_.kept.size() / width;
    const std::size_t first =
        backup_.kept.empty() ? marked->first : std::min(marked->first, backup_.keptFirst);
    const std::size_t end =
        backup_.kept.empty() ? marked->last + 1 : std::max(marked->last + 1, keptLast);
    if (marked->length || (end - first) * 4 > samples().size())
        return copyBackup();
    // The file still holds the wave from before the dialog outside the kept bytes.
    std::string bytes((end - first) * width, '\0');
    if (!TransferBytes(backup_.file, first * width, bytes, false))
        return copyBackup();
    std::copy(backup_.kept.begin(), backup_.kept.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>((backup_.keptFirst - first) * width));
    backup_.keptFirst = first;
    backup_.kept = std::move(bytes);
    return true;
}

bool GeneratorTarget::commitEdit(Progress& progress) {
    keepBackupThroughCommit();
    return commitPoints(progress);
}

bool GeneratorTarget::restoreDialogBackup() {
    const std::size_t before = samples().size();
    const FileResult read = backup_.copied ? samples().ReadFile(backup_.file, BackupLayout(*this))
                                           : samples().ReadBack(backup_.file, BackupLayout(*this));
    if (!read) {
        if (samples().size() != before)
            pointsLost(before);
        return false;
    }
    if (!backup_.kept.empty()) {
        const std::size_t width = StoredBytes(samples());
        const std::size_t first = backup_.keptFirst;
        samples().Write(first, first + backup_.kept.size() / width - 1, [&](SampleSpan points) {
            std::visit(
                [&](auto all) {
                    std::copy(backup_.kept.begin(), backup_.kept.end(),
                              reinterpret_cast<char*>(all.data() + first));
                },
                points);
        });
    }
    pointsReloaded();
    return true;
}

void GeneratorTarget::keepGenerated() {
    const std::unique_ptr<Progress> shown = startProgress();
    Progress& progress = shown ? *shown : NoProgress();
    if (!backup_.copied && backup_.kept.empty() && backup_.file == pointsHeldBy() &&
        !backup_.file.empty()) {
        // The document's file still holds the wave from before the dialog: the undo point is
        // taken as every edit's is, and costs what the commit changes.
        if (!snapshotForUndo()) {
            restoreDialogBackup();
            return;
        }
        commitEdit(progress);
        return;
    }
    copyBackup();
    if (commitPoints(progress)) // else the undo point stays the previous change's
        CopyFileOver(backup_.file, undoFile());
}

} // namespace tw
