#include "auxiliary/AdditionalBits.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "host/ExchangeFile.h"

#include <cctype>

namespace tw {

namespace {

bool ReadQuiet(const LaunchState& session, const char* key, std::string& out, int size) {
    return ProfileRecord(session, "WaveDown", key, out, size, session.descrFile, true) == 1;
}

int DescriptionNumber(const LaunchState& session, const char* key, int def, int size = 60) {
    std::string text;
    if (!ReadQuiet(session, key, text, size) || text.empty())
        return def;
    return static_cast<short>(StoredWhole(text));
}

} // namespace

MarkerBitSettings ReadMarkerBitSettings(const LaunchState& session) {
    MarkerBitSettings s;
    std::string use;
    ReadQuiet(session, "UseMarkBits", use, 60);
    s.inUse = use.size() >= 2 && std::tolower(static_cast<unsigned char>(use[0])) == 'y' &&
              std::tolower(static_cast<unsigned char>(use[1])) == 'e';
    if (!s.inUse)
        return s;
    s.bit0 = DescriptionNumber(session, "MarkBit0", 12);
    s.bit1 = DescriptionNumber(session, "MarkBit1", 13);
    s.shiftMrkInd = DescriptionNumber(session, "shiftMrkInd", 0);
    s.mrkSectWd = DescriptionNumber(session, "mrkSectWd", 1);
    s.mrkSectShift = DescriptionNumber(session, "mrkSectShift", 0);
    return s;
}

std::string AdditionalBits::Label(int k) const {
    if (bit0 == 12)
        return k == 0 ? "B13 " : "B14";
    return strprintf("B%d", bit0 + 1 + k);
}

AdditionalBits LoadAdditionalBits(const LaunchState& session, const std::string& segTableSection,
                                  int activeSegment) {
    AdditionalBits bits;
    bits.bit0 = DescriptionNumber(session, "MarkBit0", 12, 2000);
    bits.segment =
        ExchangeFile::Active(session).Segment(0, false, activeSegment).value_or(activeSegment);
    for (int k = 0; k < 2; ++k) {
        auto stored =
            ExchangeFile::MarkerBits(session).Read(segTableSection, bits.bit0 + k, bits.segment);
        bits.list[k] = stored.list;
        bits.inverted[k] = StoredWhole(stored.invert) != 0;
    }
    return bits;
}

bool StoreAdditionalBits(const LaunchState& session, const AdditionalBits& bits,
                         const std::string& segTableSection) {
    const ExchangeFile::MarkerBits::Setting settings[2] = {
        {bits.list[0], bits.inverted[0] ? "1" : "0"}, {bits.list[1], bits.inverted[1] ? "1" : "0"}};
    return ExchangeFile::MarkerBits(session).Store(segTableSection, bits.bit0, bits.segment,
                                                   settings);
}

} // namespace tw
