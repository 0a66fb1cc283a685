#pragma once
// One waveform importer under arbitrary bytes: the first byte picks the composer's layout, the
// stretch, the column reading and the code range; the rest is the file. Whatever the bytes,
// accepted points fit the range they were converted for, and Open's conversion writes exactly
// those points, or nothing at all.
#include "app/FileUtil.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"
#include "support/FuzzSupport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace tw::fuzz {

inline const char* NativeExtensionOf(PointLayout layout) {
    return layout == PointLayout::Int16 ? "wav" : "wvf";
}

// The FM layout only for the forms the FM composer reads.
inline ImportContext ContextFrom(std::uint8_t options, int code) {
    static constexpr double kRanges[4][2] = {{-8192, 8191}, {0, 16383}, {-32768, 32767}, {7, 7}};
    ImportContext ctx;
    ctx.layout = (options & 1) && FindFileFormat(PointLayout::Int32, code) ? PointLayout::Int32
                                                                           : PointLayout::Int16;
    ctx.stretch = (options & 2) != 0;
    ctx.askDim = (options >> 2) & 1;
    ctx.vMin = kRanges[(options >> 3) & 3][0];
    ctx.vMax = kRanges[(options >> 3) & 3][1];
    return ctx;
}

inline void FuzzImport(const std::uint8_t* data, std::size_t size, int code,
                       const char* extension) {
    InstallSilentPrompter();
    // The seed replay reads in a child process: one that hangs is stopped well within -timeout.
    static const int seconds = setenv("TIDEWRIGHT_READER_SECONDS", "3", 0);
    (void)seconds;
    if (size < 1)
        return;
    const ImportContext ctx = ContextFrom(data[0], code);
    const std::string_view bytes = AsText(data + 1, size - 1);

    ImportResult imported = ImportWaveBytes(bytes, code, ctx);
    Check(imported.ok != imported.points.empty());
    Check(imported.points.size() <= kMaxWavePoints);
    for (std::int32_t p : imported.points) {
        if (ctx.layout == PointLayout::Int16)
            Check(p >= -32768 && p <= 32767);
        // Column and trace values are stretched onto the code range when the option is on.
        if (ctx.stretch && code != kNativeCode && code != kAsciiCode)
            Check(p >= ctx.vMin && p <= ctx.vMax);
    }

    const std::string& folder = ScratchFolder("tw-import-fuzz");
    const std::string in = folder + "in." + extension;
    const std::string native = ReplaceExtension(in, NativeExtensionOf(ctx.layout));
    const std::string riff = folder + "in_TBR." + NativeExtensionOf(ctx.layout);
    RemoveFile(native);
    RemoveFile(riff);
    WriteBytes(in, bytes);
    ConvertResult converted = ConvertToBinary(in, code, ctx);
    if (!converted.ok) {
        Check(!converted.error.empty());
        Check(in == native || !FileExists(native));
        Check(!FileExists(riff));
        return;
    }
    Check(imported.ok);
    NativeReadResult back = ReadNativeFile(converted.path, ctx.layout);
    Check(back.ok && back.points == imported.points);
}

} // namespace tw::fuzz
