#pragma once
#include "document/FormatRegistry.h"
#include "document/MatFormat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class ImportSource;

// How a RIFF WAVE file stores its samples, from its "fmt " chunk.
struct WaveEncoding {
    int tag = 0; // the format tag: 1 integer PCM, 3 float, 6 A-law, 7 mu-law (extensible: its own)
    int channels = 0;
    long sampleRate = 0;
    int bits = 0; // per sample
};
// The encoding of a RIFF WAVE input; nullopt for other inputs or a WAVE file without "fmt ".
std::optional<WaveEncoding> ReadWaveEncoding(ImportSource& in);
// "RIFF WAV, 24-bit integer, 2 channels, 48000 Hz".
std::string DescribeWaveEncoding(const WaveEncoding& encoding);

// What a waveform file is beyond its points: what `tidewright-cli info` and the Python module's
// info() show.
struct FileFacts {
    std::string encoding;               // how the file stores its values, in words
    std::optional<WaveEncoding> wave;   // a RIFF WAVE file's encoding
    std::vector<MatVariable> variables; // a MATLAB file's variables, in file order
};
// The facts of a file read as `format`; only headers are read (and a NumPy file's array).
FileFacts DescribeWaveFile(const std::string& path, const FileFormat& format);

} // namespace tw
