#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// How points sit in a native waveform file: headerless, little-endian, fixed size.
enum class PointLayout {
    Int16,   // ".wav": standard composer, one signed 16-bit integer per point
    Int32,   // ".wvf"/".wfm": FM composer, one signed 32-bit integer per point
    Record6, // ".wfp": FM in FP-segment mode, two zero bytes then a signed 32-bit integer
};

int BytesPerPoint(PointLayout layout);
PointLayout NativeLayoutFor(int composerId, bool fpSegMode);
// The layout of the running composer (launch state).
PointLayout NativeLayout();

// Refuse files that would take more memory than any instrument segment could use.
inline constexpr std::size_t kMaxWavePoints = std::size_t{1} << 27;

// Points of a native file's bytes: size / bytes per point, a partial last point is dropped.
// Int16 points are sign-extended into the 32-bit values.
std::vector<std::int32_t> DecodeNativePoints(std::string_view bytes, PointLayout layout);
// The file bytes for points; Int16 keeps the low 16 bits of each point.
std::string EncodeNativePoints(std::span<const std::int32_t> points, PointLayout layout);

struct NativeReadResult {
    bool ok = false;
    std::vector<std::int32_t> points;
};
// Reads a whole native file in one go; fails when it cannot be read or exceeds kMaxWavePoints.
// An empty file reads as zero points.
NativeReadResult ReadNativeFile(const std::string& path, PointLayout layout);
// Writes the points atomically (temporary file renamed over path).
bool WriteNativeFile(const std::string& path, std::span<const std::int32_t> points,
                     PointLayout layout);

} // namespace tw
