#pragma once
#include <string>

namespace tw {

// The folder of the instrument descriptions and profiles: $TIDEWRIGHT_INSTRUMENT_DIR when set,
// else the one installed beside the running program, else this source tree's data/instrument.
std::string DefaultInstrumentFolder();

} // namespace tw
