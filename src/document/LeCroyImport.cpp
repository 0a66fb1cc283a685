#include "document/LeCroyImport.h"

#include "app/FileUtil.h"
#include "document/PointMapping.h"
#include "document/TextWave.h"

#include <algorithm>
#include <vector>

namespace tw {

namespace {

constexpr std::string_view kMarker = "WAVEDESC";
constexpr std::size_t kSearchLength = 400;
constexpr std::size_t kDescriptorLength = 48; // the fields read, from the marker on
constexpr std::size_t kBlockBytes = 1 << 16;

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::int32_t Le32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

// The signed 16-bit sample values of a block of sample data (an even number of bytes for word
// samples).
void DecodeSamples(std::string_view data, const LeCroyDescriptor& desc,
                   std::vector<std::int32_t>& values) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    if (desc.sampleType == 1) {
        values.resize(data.size() / 2);
        for (std::size_t i = 0; i < values.size(); ++i, p += 2) {
            auto word = desc.byteOrder == 0 ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                                            : static_cast<std::uint16_t>(p[0] | p[1] << 8);
            values[i] = static_cast<std::int16_t>(word);
        }
        return;
    }
    values.resize(data.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto word = static_cast<std::uint16_t>(static_cast<std::int8_t>(p[i]) * 256);
        if (desc.byteOrder == 0)
            word = static_cast<std::uint16_t>(word << 8 | word >> 8);
        values[i] = static_cast<std::int16_t>(word);
    }
}

// Hands the sample values out a block at a time; false when take refused a block.
template <class Take>
bool EachSampleBlock(ImportSource& in, const LeCroyDescriptor& desc, std::uint64_t bytes,
                     Take&& take) {
    std::vector<char> block(kBlockBytes);
    std::vector<std::int32_t> values;
    for (std::uint64_t done = 0; done < bytes;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, bytes - done));
        if (in.readAt(static_cast<std::uint64_t>(desc.dataStart) + done, block.data(), n) != n)
            return false;
        DecodeSamples(std::string_view(block.data(), n), desc, values);
        if (!take(values))
            return false;
        done += n;
    }
    return true;
}

} // namespace

namespace {

// Why head holds no descriptor of a trace of fileSize bytes, or "" when it does.
std::string WhyNoDescriptor(std::string_view head, std::uint64_t fileSize, LeCroyDescriptor& desc) {
    std::string_view search = head.substr(0, kSearchLength);
    std::size_t d = 0;
    while (d + kMarker.size() <= search.size() && !StartsWithNoCase(search.substr(d), kMarker))
        ++d;
    if (d + kMarker.size() > search.size())
        return "It holds no \"WAVEDESC\" within its first 400 bytes.";
    if (head.size() < d + kDescriptorLength)
        return "Its descriptor is cut short.";
    const auto* p = reinterpret_cast<const unsigned char*>(head.data()) + d;
    desc.offset = d;
    desc.sampleType = Le16(p + 32);
    desc.byteOrder = Le16(p + 34);
    // The block lengths are taken as stored, low byte first, whatever the byte-order field says.
    const std::int64_t descLength = Le32(p + 36);
    const std::int64_t textLength = Le32(p + 40);
    const std::int64_t reservedLength = Le32(p + 44);
    if (descLength < 0 || textLength < 0 || reservedLength < 0)
        return "Its descriptor gives a negative block length.";
    desc.dataStart = static_cast<std::int64_t>(d) + descLength + textLength + reservedLength;
    if (static_cast<std::uint64_t>(desc.dataStart) > fileSize)
        return "Its descriptor places the samples past the end of the file.";
    return "";
}

} // namespace

bool ReadLeCroyDescriptor(std::string_view head, std::uint64_t fileSize, LeCroyDescriptor& desc) {
    return WhyNoDescriptor(head, fileSize, desc).empty();
}

bool ReadLeCroyDescriptor(std::string_view bytes, LeCroyDescriptor& desc) {
    return ReadLeCroyDescriptor(bytes, bytes.size(), desc);
}

bool ReadLeCroyPoints(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    char head[kSearchLength + kDescriptorLength];
    const std::size_t got = in.readAt(0, head, sizeof head);
    LeCroyDescriptor desc;
    const std::string why = WhyNoDescriptor(std::string_view(head, got), in.size(), desc);
    if (!why.empty()) {
        in.refuse(ImportRefused(why).error);
        return false;
    }
    // Word samples take two bytes each; a last odd byte is no sample.
    std::uint64_t bytes = in.size() - static_cast<std::uint64_t>(desc.dataStart);
    if (bytes < 2) {
        in.refuse(ImportRefused("It holds no samples after its descriptor.").error);
        return false;
    }
    if (desc.sampleType == 1)
        bytes -= bytes % 2;
    double minimum = 1000000000;
    double maximum = -1000000000;
    const bool measured = EachSampleBlock(in, desc, bytes, [&](const auto& values) {
        for (std::int32_t v : values) {
            minimum = std::min<double>(minimum, v);
            maximum = std::max<double>(maximum, v);
        }
        return true;
    });
    if (!measured)
        return false;
    double scale = 1;
    double offset = 0;
    if (ctx.stretch) {
        scale = maximum == minimum ? 0 : (ctx.vMax - ctx.vMin) / (maximum - minimum);
        offset = ctx.vMin - minimum * scale;
    }
    PointBatch batch(out, ctx.layout);
    return EachSampleBlock(in, desc, bytes,
                           [&](const auto& values) {
                               for (std::int32_t v : values) {
                                   std::int32_t point = 0;
                                   if (!WholePoint(v * scale + offset, ctx.layout, point) ||
                                       !batch.add(point))
                                       return false;
                               }
                               return true;
                           }) &&
           batch.flush();
}

ImportResult ImportLeCroy(std::string_view bytes, const ImportContext& ctx) {
    ImportSource in(bytes);
    return ImportWith(ReadLeCroyPoints, in, ctx);
}

} // namespace tw
