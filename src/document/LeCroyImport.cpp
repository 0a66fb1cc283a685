#include "document/LeCroyImport.h"

#include "app/FileUtil.h"
#include "document/TextWave.h"

#include <algorithm>

namespace tw {

namespace {

constexpr std::string_view kMarker = "WAVEDESC";
constexpr std::size_t kSearchLength = 400;

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::int32_t Le32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

} // namespace

bool ReadLeCroyDescriptor(std::string_view bytes, LeCroyDescriptor& desc) {
    std::string_view head = bytes.substr(0, kSearchLength);
    std::size_t d = 0;
    while (d + kMarker.size() <= head.size() && !StartsWithNoCase(head.substr(d), kMarker))
        ++d;
    if (d + kMarker.size() > head.size() || bytes.size() < d + 48)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + d;
    desc.offset = d;
    desc.sampleType = Le16(p + 32);
    desc.byteOrder = Le16(p + 34);
    // The block lengths are taken as stored, low byte first, whatever the byte-order field says.
    const std::int64_t descLength = Le32(p + 36);
    const std::int64_t textLength = Le32(p + 40);
    const std::int64_t reservedLength = Le32(p + 44);
    if (descLength < 0 || textLength < 0 || reservedLength < 0)
        return false;
    desc.dataStart = static_cast<std::int64_t>(d) + descLength + textLength + reservedLength;
    return desc.dataStart <= static_cast<std::int64_t>(bytes.size());
}

std::vector<std::int32_t> LeCroySamples(std::string_view data, const LeCroyDescriptor& desc) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::vector<std::int32_t> values;
    if (desc.sampleType == 1) {
        values.resize(data.size() / 2);
        for (std::size_t i = 0; i < values.size(); ++i, p += 2) {
            auto word = desc.byteOrder == 0 ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                                            : static_cast<std::uint16_t>(p[0] | p[1] << 8);
            values[i] = static_cast<std::int16_t>(word);
        }
        return values;
    }
    values.resize(data.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto word = static_cast<std::uint16_t>(static_cast<std::int8_t>(p[i]) * 256);
        if (desc.byteOrder == 0)
            word = static_cast<std::uint16_t>(word << 8 | word >> 8);
        values[i] = static_cast<std::int16_t>(word);
    }
    return values;
}

ImportResult ImportLeCroy(std::string_view bytes, const ImportContext& ctx) {
    ImportResult result;
    LeCroyDescriptor desc;
    if (!ReadLeCroyDescriptor(bytes, desc))
        return ImportFailed();
    std::string_view data = bytes.substr(static_cast<std::size_t>(desc.dataStart));
    if (data.size() < 2 || data.size() / (desc.sampleType == 1 ? 2 : 1) > kMaxWavePoints)
        return ImportFailed();
    std::vector<std::int32_t> values = LeCroySamples(data, desc);
    double minimum = 1000000000;
    double maximum = -1000000000;
    for (std::int32_t v : values) {
        minimum = std::min<double>(minimum, v);
        maximum = std::max<double>(maximum, v);
    }
    double scale = 1;
    double offset = 0;
    if (ctx.stretch) {
        scale = maximum == minimum ? 0 : (ctx.vMax - ctx.vMin) / (maximum - minimum);
        offset = ctx.vMin - minimum * scale;
    }
    result.points.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!WholePoint(values[i] * scale + offset, ctx.layout, result.points[i]))
            return ImportFailed();
    result.ok = true;
    return result;
}

} // namespace tw
