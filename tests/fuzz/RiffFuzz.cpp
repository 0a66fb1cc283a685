// RIFF audio taken as native points after its header.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kNativeCode, "wav");
    return 0;
}
