#pragma once
#include <cstddef>
#include <string>

namespace tw {

// The generator dialogs' copy of the wave as it was when they opened. Where the document's own
// file holds exactly those points it serves as the backup, so a dialog over a few points costs
// what it changes: a commit during the dialog first keeps here the bytes of the points it
// replaces. A wave no file holds, or kept bytes past a quarter of the wave, a length change
// during the dialog or a backup an OK must copy over the undo file: a whole copy instead.
struct DialogBackup {
    std::string file;    // holds the wave from before the dialog, except over kept
    bool copied = false; // file is WaveBackupPath(), a copy of its own
    std::size_t keptFirst = 0;
    std::string kept; // the stored points' bytes from keptFirst on, where file changed since
};

std::string WaveBackupPath(const std::string& tmpFolder); // + "orgWave.tmp"

} // namespace tw
