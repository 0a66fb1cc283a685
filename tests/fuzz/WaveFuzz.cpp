// WAVE files other than the canonical one, read through the audio library.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kNativeCode, "wav");
    return 0;
}
