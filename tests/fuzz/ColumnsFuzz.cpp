// Column text: a header up to the "time" line, then rows of numbers.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kCsvCode, "csv");
    return 0;
}
