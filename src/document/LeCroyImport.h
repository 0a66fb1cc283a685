#pragma once
#include "document/WaveFormats.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

// The descriptor fields the import uses, as read from the file.
struct LeCroyDescriptor {
    std::size_t offset = 0; // where "WAVEDESC" starts
    int sampleType = 0;     // 0 bytes, 1 16-bit words
    int byteOrder = 0;      // 0 high byte first, 1 low byte first
    std::int64_t dataStart = 0;
};

// Finds "WAVEDESC" in the first 400 bytes and reads the fields; false when it is missing or the
// lengths point outside the file.
bool ReadLeCroyDescriptor(std::string_view bytes, LeCroyDescriptor& desc);

// The signed 16-bit sample values before the stretch.
std::vector<std::int32_t> LeCroySamples(std::string_view data, const LeCroyDescriptor& desc);

// Descriptor, samples, min-max stretch onto vMin..vMax and truncation into points.
ImportResult ImportLeCroy(std::string_view bytes, const ImportContext& ctx);

} // namespace tw
