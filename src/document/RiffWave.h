#pragma once
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string_view>

namespace tw {

// A RIFF file whose form is "WAVE"; other RIFF files are taken as a 44-byte header and points.
bool IsRiffWave(std::string_view bytes);
// The canonical 16-bit mono PCM file whose samples start right after a 44-byte header: its
// samples are the points as they stand.
bool IsCanonicalPcm16(std::string_view bytes);
// An RF64 or Wave64 file: WAVE audio past 4 GiB, whose header no 44 bytes hold.
bool IsLargeWave(std::string_view bytes);
// Whether Open reads the file through the audio library: a WAVE file other than the canonical,
// RF64 and Wave64.
bool NeedsAudioLibrary(std::string_view bytes);

// The channels of a WAVE file the audio library reads, or nullopt.
std::optional<int> WaveChannels(std::string_view bytes);

// One channel (ctx.channel) of any WAVE file the audio library reads, a PointReader: integer
// samples map their full scale onto vMin ... vMax, float samples -1.0 ... +1.0; clipping is
// counted. The library runs in a child process that streams the points back (ReadIsolated).
bool ReadAudioWave(ImportSource& in, const ImportContext& ctx, PointSink& out);
// A 16-bit mono PCM WAV of the points, vMin ... vMax mapped onto the 16-bit full scale. A short
// LIST chunk names the program, so that the file is read back through the audio library with
// that map undone rather than taken as native points.
bool WritePcm16Wave(std::ostream& out, std::span<const std::int32_t> points,
                    const ExportContext& ctx);

} // namespace tw
