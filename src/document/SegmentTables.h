#pragma once

namespace tw {

// Replaces the active channel's entry of the "AcSeg" (or "FPSeg") list in the exchange file.
void StoreActiveSegment(int segment, bool fpSegMode);

} // namespace tw
