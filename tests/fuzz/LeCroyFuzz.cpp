// LeCroy oscilloscope traces: a "WAVEDESC" block, then byte or word samples.
#include "support/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tw::fuzz::FuzzImport(data, size, tw::kTraceCode, "trc");
    return 0;
}
