#pragma once
#include <optional>

namespace tw {

// Bounds on the channel and segment numbers taken from the exchange file: they become ints in
// file names, section names, keys and sums, and no instrument has more.
inline constexpr int kMaxChannels = 64;
inline constexpr int kMaxSegmentNumber = 1 << 24;

// "Instrument" "Channels" of the exchange file: 1 when absent; reported and 1 when outside
// 1..kMaxChannels.
int ReadChannelCount();
// "Settings" "ActiveCh" of the exchange file (0-based): 0 when absent; reported and `fallback`
// when it is not one of the instrument's `channels`.
int ReadActiveChannel(int channels, int fallback);
// The active segment stored for `channel`: its entry of the "Settings" "AcSeg" list, or the first
// of "FPSeg" in FP-segment mode. Nothing when absent; reported and `fallback` when outside
// 1..kMaxSegmentNumber.
std::optional<int> ReadActiveSegment(int channel, bool fpSegMode, int fallback);

// Replaces the active channel's entry of the "AcSeg" (or "FPSeg") list in the exchange file.
void StoreActiveSegment(int segment, bool fpSegMode);

} // namespace tw
