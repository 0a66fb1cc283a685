#include "document/RiffWave.h"

#include "app/FileUtil.h"
#include "document/IsolatedImport.h"
#include "document/PointMapping.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

namespace tw {

namespace {

constexpr std::size_t kCanonicalHeader = 44;
constexpr int kMaxChannels = 1024;
constexpr sf_count_t kChunkFrames = 4096;

std::uint32_t Le(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The audio library reads from the bytes in memory.
struct Memory {
    std::string_view bytes;
    sf_count_t at = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<Memory*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<Memory*>(user);
    const auto size = static_cast<sf_count_t>(m->bytes.size());
    const sf_count_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? size : 0;
    if (offset < -base || offset > size - base)
        return -1;
    m->at = base + offset;
    return m->at;
}

sf_count_t Read(void* to, sf_count_t count, void* user) {
    auto* m = static_cast<Memory*>(user);
    const sf_count_t left = static_cast<sf_count_t>(m->bytes.size()) - m->at;
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, std::max<sf_count_t>(left, 0));
    std::memcpy(to, m->bytes.data() + m->at, static_cast<std::size_t>(n));
    m->at += n;
    return n;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<Memory*>(user)->at;
}

struct Closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, Closer>;

SoundFile OpenWave(Memory& memory, SF_INFO& info) {
    static SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    info = {};
    return SoundFile(sf_open_virtual(&io, SFM_READ, &info, &memory));
}

// Bits of an integer encoding whose samples are read exactly; 0 for the others.
int IntegerBits(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

template <typename Sample, typename ReadFrames, typename Convert>
bool ReadChannel(SNDFILE* file, const SF_INFO& info, int channel, ReadFrames readFrames,
                 Convert convert, std::vector<double>& values) {
    std::vector<Sample> buffer(static_cast<std::size_t>(kChunkFrames * info.channels));
    while (values.size() < static_cast<std::size_t>(info.frames)) {
        const sf_count_t got = readFrames(file, buffer.data(), kChunkFrames);
        if (got <= 0)
            break;
        for (sf_count_t f = 0; f < got; ++f)
            values.push_back(
                convert(buffer[static_cast<std::size_t>(f * info.channels + channel)]));
    }
    values.resize(std::min(values.size(), static_cast<std::size_t>(info.frames)));
    return !values.empty();
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out += static_cast<char>(value & 0xff);
}

} // namespace

bool IsRiffWave(std::string_view bytes) {
    return bytes.size() >= 12 && StartsWithNoCase(bytes, "RIFF") && bytes.substr(8, 4) == "WAVE";
}

bool IsCanonicalPcm16(std::string_view bytes) {
    return IsRiffWave(bytes) && bytes.size() >= kCanonicalHeader && bytes.substr(12, 4) == "fmt " &&
           Le(bytes, 16, 4) == 16 && Le(bytes, 20, 2) == 1 && Le(bytes, 22, 2) == 1 &&
           Le(bytes, 34, 2) == 16 && bytes.substr(36, 4) == "data";
}

bool IsLargeWave(std::string_view bytes) {
    static constexpr std::string_view kWave64Riff(
        "riff\x2e\x91\xcf\x11\xa5\xd6\x28\xdb\x04\xc1\x00\x00", 16);
    return (bytes.size() >= 12 && bytes.starts_with("RF64") && bytes.substr(8, 4) == "WAVE") ||
           bytes.starts_with(kWave64Riff);
}

bool NeedsAudioLibrary(std::string_view bytes) {
    return (IsRiffWave(bytes) && !IsCanonicalPcm16(bytes)) || IsLargeWave(bytes);
}

std::optional<int> WaveChannels(std::string_view bytes) {
    int channels = 0;
    IsolatedOutcome outcome = RunIsolated(
        [&](int output) {
            Memory memory{bytes};
            SF_INFO info;
            SoundFile file = OpenWave(memory, info);
            const int found = file ? info.channels : 0;
            return WriteAll(output, &found, sizeof found);
        },
        ReaderLimits(bytes.size()));
    if (!outcome.ok || !ReadAllAt(outcome.output.get(), &channels, sizeof channels, 0) ||
        channels < 1)
        return std::nullopt;
    return channels;
}

namespace {

ImportResult ReadAudioWave(std::string_view bytes, const ImportContext& ctx) {
    Memory memory{bytes};
    SF_INFO info;
    SoundFile file = OpenWave(memory, info);
    if (!file)
        return ImportRefused(std::string("The audio library cannot read it: ") +
                             sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > kMaxChannels)
        return ImportRefused("Its channel count is not an audio file's.");
    if (ctx.channel < 0 || ctx.channel >= info.channels)
        return ImportRefused("It has " + std::to_string(info.channels) + " channels, not " +
                             std::to_string(ctx.channel + 1) + ".");
    if (info.frames < 1 || static_cast<std::uint64_t>(info.frames) > kMaxWavePoints)
        return ImportRefused("Its length is not a waveform's.");
    std::vector<double> values;
    // The header's count is the library's; the file's size bounds what it can hold.
    values.reserve(std::min(static_cast<std::size_t>(info.frames), bytes.size()));
    const int bits = IntegerBits(info.format);
    bool read;
    if (bits > 0)
        read = ReadChannel<int>(
            file.get(), info, ctx.channel, sf_readf_int,
            [bits](int v) { return static_cast<double>(v >> (32 - bits)); }, values);
    else
        read = ReadChannel<double>(
            file.get(), info, ctx.channel, sf_readf_double, [](double v) { return v; }, values);
    if (!read)
        return ImportRefused("It holds no samples.");
    const LinearMap map =
        bits > 0 ? IntegerFullScaleMap(bits, ctx.vMin, ctx.vMax) : FullScaleMap(ctx.vMin, ctx.vMax);
    return MapIntoRange(values, map, ctx);
}

} // namespace

ImportResult ImportAudioWave(std::string_view bytes, const ImportContext& ctx) {
    // The library recognises many formats by their content: a file named .wav reaches them all.
    return ImportIsolated(bytes, ctx, ReadAudioWave);
}

bool WritePcm16Wave(std::ostream& out, std::span<const std::int32_t> points,
                    const ExportContext& ctx) {
    static constexpr std::string_view kSoftware("Tidewright\0", 11);
    const auto dataBytes = static_cast<std::uint32_t>(points.size() * 2);
    const std::uint32_t listBytes = 4 + 8 + 12;
    std::string header = "RIFF";
    PutLe(header, 4 + (8 + 16) + (8 + listBytes) + (8 + dataBytes), 4);
    header += "WAVEfmt ";
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);         // PCM
    PutLe(header, 1, 2);         // mono
    PutLe(header, 44100, 4);     // samples per second
    PutLe(header, 44100 * 2, 4); // bytes per second
    PutLe(header, 2, 2);         // bytes per frame
    PutLe(header, 16, 2);        // bits per sample
    header += "LIST";
    PutLe(header, listBytes, 4);
    header += "INFOISFT";
    PutLe(header, static_cast<std::uint32_t>(kSoftware.size()), 4);
    header.append(kSoftware).push_back('\0'); // chunks hold an even count of bytes
    header += "data";
    PutLe(header, dataBytes, 4);
    if (!out.write(header.data(), static_cast<std::streamsize>(header.size())))
        return false;
    const double span = ctx.vMax - ctx.vMin;
    std::vector<std::int32_t> samples(points.size());
    std::transform(points.begin(), points.end(), samples.begin(), [&](std::int32_t p) {
        const double s = span > 0 ? std::floor((p - ctx.vMin) * 65535 / span + 0.5) - 32768 : p;
        return static_cast<std::int32_t>(std::clamp(s, -32768.0, 32767.0));
    });
    return WriteNativePoints(out, samples, PointLayout::Int16);
}

} // namespace tw
