// ASCII text: numbers separated by any white space.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kAsciiCode, "asc");
    return 0;
}
