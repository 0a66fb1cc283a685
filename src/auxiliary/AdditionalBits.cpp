#include "auxiliary/AdditionalBits.h"
#include "host/ExchangeFile.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "document/SegmentTables.h"

#include <cctype>

namespace tw {

namespace {

bool ReadQuiet(const char* key, std::string& out, int size, const std::string& section,
               const std::string& file) {
    return ProfileRecord(section, key, out, size, file, true) == 1;
}

int DescriptionNumber(const char* key, int def, int size = 60) {
    std::string text;
    if (!ReadQuiet(key, text, size, "WaveDown", launch().descrFile) || text.empty())
        return def;
    return static_cast<short>(StoredWhole(text));
}

} // namespace

MarkerBitSettings ReadMarkerBitSettings() {
    MarkerBitSettings s;
    std::string use;
    ReadQuiet("UseMarkBits", use, 60, "WaveDown", launch().descrFile);
    s.inUse = use.size() >= 2 && std::tolower(static_cast<unsigned char>(use[0])) == 'y' &&
              std::tolower(static_cast<unsigned char>(use[1])) == 'e';
    if (!s.inUse)
        return s;
    s.bit0 = DescriptionNumber("MarkBit0", 12);
    s.bit1 = DescriptionNumber("MarkBit1", 13);
    s.shiftMrkInd = DescriptionNumber("shiftMrkInd", 0);
    s.mrkSectWd = DescriptionNumber("mrkSectWd", 1);
    s.mrkSectShift = DescriptionNumber("mrkSectShift", 0);
    return s;
}

std::string AdditionalBits::ListKey(int k) const {
    return strprintf("%dBit%d", bit0 + k, segment);
}

std::string AdditionalBits::InvertKey(int k) const {
    return strprintf("%dInv%d", bit0 + k, segment);
}

std::string AdditionalBits::Label(int k) const {
    if (bit0 == 12)
        return k == 0 ? "B13 " : "B14";
    return strprintf("B%d", bit0 + 1 + k);
}

AdditionalBits LoadAdditionalBits(const std::string& segTableSection) {
    AdditionalBits bits;
    bits.bit0 = DescriptionNumber("MarkBit0", 12, 2000);
    bits.segment =
        ReadActiveSegment(0, false, launch().activeSegment).value_or(launch().activeSegment);
    const std::string& file = launch().exchangeFile;
    for (int k = 0; k < 2; ++k) {
        ReadQuiet(bits.ListKey(k).c_str(), bits.list[k], 2000, segTableSection, file);
        std::string flag;
        ReadQuiet(bits.InvertKey(k).c_str(), flag, 2000, segTableSection, file);
        bits.inverted[k] = StoredWhole(flag) != 0;
    }
    return bits;
}

bool StoreAdditionalBits(const AdditionalBits& bits, const std::string& segTableSection) {
    profile::Transaction transaction(launch().exchangeFile);
    for (int k = 0; k < 2; ++k) {
        transaction.write(segTableSection, bits.ListKey(k), bits.list[k]);
        transaction.write(segTableSection, bits.InvertKey(k), bits.inverted[k] ? "1" : "0");
    }
    return transaction.commit();
}

} // namespace tw
