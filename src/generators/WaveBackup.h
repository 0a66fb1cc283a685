#pragma once
#include <string>

namespace tw {

// The generator dialogs' copy of the wave as it was when they opened (GeneratorTarget).
std::string WaveBackupPath(); // tmp folder + "orgWave.tmp"

} // namespace tw
