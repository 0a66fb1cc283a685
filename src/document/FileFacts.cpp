#include "document/FileFacts.h"

#include "app/FileUtil.h"
#include "document/ImportStream.h"
#include "document/MatFormat.h"
#include "document/NpyFormat.h"
#include "document/RiffWave.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tw {

namespace {

constexpr int kExtensibleTag = 0xFFFE;
// A chunk list longer than this is no WAV file anyone wrote: the walk gives up.
constexpr int kMostChunks = 4096;

std::uint32_t Le(const char* bytes, int size) {
    std::uint32_t value = 0;
    for (int i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::string SampleText(const WaveEncoding& e) {
    const std::string bits = std::to_string(e.bits) + "-bit ";
    switch (e.tag) {
    case 1:
        // 8-bit PCM is the one unsigned width.
        return bits + (e.bits <= 8 ? "unsigned integer" : "integer");
    case 3:
        return bits + "float";
    case 6:
        return "8-bit A-law";
    case 7:
        return "8-bit mu-law";
    default:
        return "encoding " + std::to_string(e.tag) + ", " + std::to_string(e.bits) + " bits";
    }
}

std::string NpyText(const NpyArray& a) {
    const std::string kind = a.kind == 'f'   ? "float"
                             : a.kind == 'u' ? "unsigned integer"
                                             : "integer";
    return "NumPy, " + std::to_string(a.itemSize * 8) + "-bit " + kind +
           (a.bigEndian && a.itemSize > 1 ? ", big-endian" : "");
}

} // namespace

std::optional<WaveEncoding> ReadWaveEncoding(ImportSource& in) {
    std::array<char, 12> head{};
    if (in.readAt(0, head.data(), head.size()) != head.size() ||
        !EqualsNoCase(std::string_view(head.data(), 4), "RIFF") ||
        std::string_view(head.data() + 8, 4) != "WAVE")
        return std::nullopt;
    std::uint64_t at = head.size();
    for (int n = 0; n < kMostChunks; ++n) {
        std::array<char, 8> chunk{};
        if (in.readAt(at, chunk.data(), chunk.size()) != chunk.size())
            return std::nullopt;
        const std::uint32_t size = Le(chunk.data() + 4, 4);
        if (std::string_view(chunk.data(), 4) == "fmt ") {
            std::array<char, 26> fmt{};
            if (size < 16 ||
                in.readAt(at + 8, fmt.data(), std::min<std::size_t>(size, fmt.size())) < 16)
                return std::nullopt;
            WaveEncoding e{
                static_cast<int>(Le(fmt.data(), 2)), static_cast<int>(Le(fmt.data() + 2, 2)),
                static_cast<long>(Le(fmt.data() + 4, 4)), static_cast<int>(Le(fmt.data() + 14, 2))};
            // The extensible form names its encoding in the first bytes of its sub-format.
            if (e.tag == kExtensibleTag && size >= fmt.size())
                e.tag = static_cast<int>(Le(fmt.data() + 24, 2));
            return e;
        }
        at += 8 + static_cast<std::uint64_t>(size) + (size & 1);
    }
    return std::nullopt;
}

std::string DescribeWaveEncoding(const WaveEncoding& e) {
    return "RIFF WAV, " + SampleText(e) + ", " + std::to_string(e.channels) +
           (e.channels == 1 ? " channel, " : " channels, ") + std::to_string(e.sampleRate) + " Hz";
}

FileFacts DescribeWaveFile(const std::string& path, const FileFormat& format) {
    FileFacts facts;
    facts.encoding = std::string(format.name);
    ImportSource in(path);
    if (!in.present() || !in.failure())
        return facts;
    if (format.reading.open == OpenRole::Native) {
        facts.wave = ReadWaveEncoding(in);
        std::array<char, 44> head{};
        const std::string_view start(head.data(), in.readAt(0, head.data(), head.size()));
        if (facts.wave) {
            facts.encoding = DescribeWaveEncoding(*facts.wave);
            // Open takes this one's samples as they stand, where an audio tool scales them.
            if (IsCanonicalPcm16(start))
                facts.encoding += ", samples taken as points";
        } else {
            const bool riff = start.size() >= 4 && EqualsNoCase(start.substr(0, 4), "RIFF");
            facts.encoding = riff ? "RIFF file of another form: a 44-byte header, then " +
                                        std::string(format.name) + " points"
                                  : "headerless " + std::string(format.name) + " points";
        }
    } else if (format.code == kNpyCode) {
        // The header alone: the elements may be gigabytes.
        std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), kNpyMostHead)),
                         '\0');
        head.resize(in.readAt(0, head.data(), head.size()));
        std::string why;
        if (const std::optional<NpyArray> array = ParseNpyHeader(head, in.size(), why))
            facts.encoding = NpyText(*array);
    } else if (format.code == kMatCode) {
        facts.variables = MatVariableShapesOfFile(path);
    }
    return facts;
}

} // namespace tw
