#pragma once
#include "app/Progress.h"
#include "app/Prompter.h"
#include "document/Composer.h"
#include "document/Samples.h"
#include "generators/WaveBackup.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tw {

// What a generator needs of the document it fills. The GUI adapts the document to it; tests
// use a plain in-memory wave.
struct GeneratorTarget {
    // The wave: read through its views, changed only through its entries.
    virtual Samples& samples() = 0;
    virtual double lowerLevel() const = 0;
    virtual double upperLevel() const = 0;
    // The composer the wave belongs to: its settings sections and its files' point layout.
    virtual const Composer& composer() const = 0;
    // What the points' values stand for.
    const ValueScale& valueScale() const { return composer().valueScale(); }
    virtual std::string undoFile() const = 0;
    // Where the generator's refusals and questions go: the boxes of the dialog's user.
    virtual Prompter& prompts() = 0;
    // The document's wave folder (ends in '/'): formulas name its waves without the folder.
    virtual std::string waveFolder() const { return {}; }
    // Writes the working file, marks the segment modified and repaints; the dialog's backup
    // keeps the wave from before the dialog through it. False when cancelled or failed.
    bool commitEdit(Progress& progress = NoProgress());
    virtual void redraw() {}
    // Where one long generation reports its progress and learns of a cancel, for as long as
    // the caller holds it; none (nobody told, nothing cancels) by default.
    virtual std::unique_ptr<Progress> startProgress() { return nullptr; }
    virtual void markAnchors(double /*start*/, double /*end*/) {}
    virtual void restoreAnchors() {} // back to the anchors from before the dialog
    // The points were replaced by a wave of another length: show all of it.
    virtual void wavelengthChanged() {}
    // The points were just read back from the dialog backup.
    virtual void pointsReloaded() {}
    // A read into the points broke off midway: the count points from before it come back.
    virtual void pointsLost(std::size_t /*count*/) {}
    // The wave as it was when the dialog opened (DialogBackup): put back by Preview and
    // Cancel; OK commits so that one Undo returns to it. OK leaves it for later reloads; the
    // generator menu commands remove a copy afterwards.
    bool backupForDialog();
    // Into the points' own storage; false when the backup cannot be read (the points as they
    // were, or put back by pointsLost after a read that broke off).
    bool restoreDialogBackup();
    // OK: commit the generated wave so that one Undo returns to the wave before the dialog.
    // The commit reports to startProgress; a cancel or a failure leaves the wave, its file and
    // its undo point as they were before OK.
    void keepGenerated();
    virtual ~GeneratorTarget() = default;

  protected:
    // The commit itself; false when it was cancelled or failed (the points from before it).
    virtual bool commitPoints(Progress& progress) = 0;
    // The file whose bytes are the stored points but for the changes marked since; none by
    // default, and the dialog then copies the whole wave.
    virtual std::string pointsHeldBy() const { return {}; }
    // Takes the undo point of the change about to be committed; false when it cannot be (told).
    virtual bool snapshotForUndo() { return false; }

  private:
    DialogBackup backup_;
    bool keepBackupThroughCommit();
    bool copyBackup();
};

} // namespace tw
