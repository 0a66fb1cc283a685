#pragma once
#include "app/LaunchState.h"

#include <string>

namespace tw {

// Marker bits carried in two bits of each 16-bit sample, from the description file's
// [WaveDown] section; read when the view is first updated.
struct MarkerBitSettings {
    bool inUse = false;
    int bit0 = 12, bit1 = 13;
    int shiftMrkInd = 0, mrkSectWd = 1, mrkSectShift = 0;
};
MarkerBitSettings ReadMarkerBitSettings(const LaunchState& session);

// The rise/fall lists and invert flags of the two marker bits of one segment, as the
// "Additional Bits Editor" shows and stores them in the exchange file.
struct AdditionalBits {
    int bit0 = 12;
    int segment = 0;
    std::string list[2];
    bool inverted[2] = {false, false};

    std::string Label(int k) const; // "B13 " / "B14", or "B%d" counting bits from 1
};

// Reads the definitions of the active segment from segTableSection of the exchange file: the
// first entry of the host's active segments, the document's active segment when there is none.
AdditionalBits LoadAdditionalBits(const LaunchState& session, const std::string& segTableSection,
                                  int activeSegment);
// Ok: writes both lists (unchecked, an empty list stays an empty value) and both flags.
bool StoreAdditionalBits(const LaunchState& session, const AdditionalBits& bits,
                         const std::string& segTableSection);

} // namespace tw
