#pragma once
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <cstdint>
#include <string_view>

namespace tw {

// The descriptor fields the import uses, as read from the file.
struct LeCroyDescriptor {
    std::size_t offset = 0; // where "WAVEDESC" starts
    int sampleType = 0;     // 0 bytes, 1 16-bit words
    int byteOrder = 0;      // 0 high byte first, 1 low byte first
    std::int64_t dataStart = 0;
};

// Finds "WAVEDESC" in the first 400 bytes of head, the start of a file of fileSize bytes, and
// reads the fields; false when it is missing or the lengths point outside the file.
bool ReadLeCroyDescriptor(std::string_view head, std::uint64_t fileSize, LeCroyDescriptor& desc);
// The same for a whole file's bytes.
bool ReadLeCroyDescriptor(std::string_view bytes, LeCroyDescriptor& desc);

// Descriptor, samples, min-max stretch onto vMin..vMax and truncation into points: the samples
// are read twice, a block at a time, once for their extremes and once for the points.
bool ReadLeCroyPoints(ImportSource& in, const ImportContext& ctx, PointSink& out);
// The same over a whole file's bytes.
ImportResult ImportLeCroy(std::string_view bytes, const ImportContext& ctx);

} // namespace tw
