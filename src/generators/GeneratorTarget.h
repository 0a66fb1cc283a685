#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// What a generator needs of the document it fills. The GUI adapts the document to it; tests
// use a plain in-memory wave.
struct GeneratorTarget {
    virtual std::vector<std::int32_t>& points() = 0;
    virtual double lowerLevel() const = 0;
    virtual double upperLevel() const = 0;
    virtual bool isFm() const = 0;
    virtual bool abstractLevels() const = 0; // the FM composer's 0..10^9 scale
    virtual std::string undoFile() const = 0;
    // Writes the working file, marks the segment modified and repaints.
    virtual void commitEdit() = 0;
    virtual void redraw() {}
    virtual void markAnchors(double /*start*/, double /*end*/) {}
    virtual void restoreAnchors() {} // back to the anchors from before the dialog
    // The points were replaced by a wave of another length: show all of it.
    virtual void wavelengthChanged() {}
    // The dialog's opening copy of the whole wave ("orgWave.tmp"): put back by Preview and
    // Cancel, made the undo step by OK. The defaults keep it as raw points.
    virtual bool backupForDialog();
    virtual bool restoreDialogBackup();
    virtual bool acceptDialogBackup(); // the backup becomes the undo file
    // OK: commit the generated wave so that one Undo returns to the wave before the dialog.
    void keepGenerated() {
        commitEdit();
        acceptDialogBackup();
    }
    virtual ~GeneratorTarget() = default;
};

} // namespace tw
