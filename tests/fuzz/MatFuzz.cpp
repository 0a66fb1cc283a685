// MATLAB files, read through the library from a private copy.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kMatCode, "mat");
    return 0;
}
