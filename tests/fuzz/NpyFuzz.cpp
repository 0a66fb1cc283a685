// NumPy arrays: a magic, a literal dictionary for a header, then the elements.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kNpyCode, "npy");
    return 0;
}
