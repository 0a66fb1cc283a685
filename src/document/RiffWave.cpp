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

// The audio library reads the import's input a piece at a time.
struct Reading {
    ImportSource& in;
    sf_count_t at = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<Reading*>(user)->in.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* r = static_cast<Reading*>(user);
    const auto size = static_cast<sf_count_t>(r->in.size());
    const sf_count_t base = whence == SEEK_CUR ? r->at : whence == SEEK_END ? size : 0;
    if (offset < -base || offset > size - base)
        return -1;
    r->at = base + offset;
    return r->at;
}

sf_count_t Read(void* to, sf_count_t count, void* user) {
    auto* r = static_cast<Reading*>(user);
    const sf_count_t left = static_cast<sf_count_t>(r->in.size()) - r->at;
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, std::max<sf_count_t>(left, 0));
    const std::size_t got = r->in.readAt(static_cast<std::uint64_t>(r->at), static_cast<char*>(to),
                                         static_cast<std::size_t>(n));
    r->at += static_cast<sf_count_t>(got);
    return static_cast<sf_count_t>(got);
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<Reading*>(user)->at;
}

struct Closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, Closer>;

SoundFile OpenWave(Reading& reading, SF_INFO& info) {
    static SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    info = {};
    return SoundFile(sf_open_virtual(&io, SFM_READ, &info, &reading));
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

// One channel's samples, a block at a time, mapped into the code range and handed to out: ok, or
// why not.
template <typename Sample, typename ReadFrames, typename Convert>
ImportResult StreamChannel(SNDFILE* file, const SF_INFO& info, const ImportContext& ctx,
                           ReadFrames readFrames, Convert convert, const LinearMap& map,
                           PointSink& out) {
    std::vector<Sample> buffer(static_cast<std::size_t>(kChunkFrames * info.channels));
    std::vector<double> values;
    ImportResult result;
    for (sf_count_t left = info.frames; left > 0;) {
        const sf_count_t got = readFrames(file, buffer.data(), std::min(kChunkFrames, left));
        if (got <= 0)
            break;
        left -= got;
        values.resize(static_cast<std::size_t>(got));
        for (sf_count_t f = 0; f < got; ++f)
            values[static_cast<std::size_t>(f)] =
                convert(buffer[static_cast<std::size_t>(f * info.channels + ctx.channel)]);
        ImportResult block = MapIntoRange(values, map, ctx);
        if (!block.ok)
            return block;
        if (!out.take(block.points))
            return ImportFailed();
        result.clipped += block.clipped;
        result.ok = true;
    }
    return result.ok ? result : ImportRefused("It holds no samples.");
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
            ImportSource in(bytes);
            Reading reading{in};
            SF_INFO info;
            SoundFile file = OpenWave(reading, info);
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

ImportResult ReadAudioWaveHere(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    Reading reading{in};
    SF_INFO info;
    SoundFile file = OpenWave(reading, info);
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
    out.expect(static_cast<std::uint64_t>(info.frames)); // the points are held just once
    const int bits = IntegerBits(info.format);
    if (bits > 0)
        return StreamChannel<int>(
            file.get(), info, ctx, sf_readf_int,
            [bits](int v) { return static_cast<double>(v >> (32 - bits)); },
            IntegerFullScaleMap(bits, ctx.vMin, ctx.vMax), out);
    return StreamChannel<double>(
        file.get(), info, ctx, sf_readf_double, [](double v) { return v; },
        FullScaleMap(ctx.vMin, ctx.vMax), out);
}

} // namespace

bool ReadAudioWave(ImportSource& in, const ImportContext& ctx, PointSink& out) {
    // The library recognises many formats by their content: a file named .wav reaches them all.
    return ReadIsolated(in, ctx, out, ReadAudioWaveHere);
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
