#include "host/ExchangeFile.h"

#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace tw {

namespace {
const std::string& exchange() {
    return launch().exchangeFile;
}
} // namespace

int ReadChannelCount() {
    std::string v;
    std::optional<double> count;
    if (!ProfileRecord("Instrument", "Channels", v, 260, exchange(), true) ||
        !(count = StoredNumber(v)))
        return 1;
    return static_cast<int>(
        CheckedWhole(*count, 1, kMaxChannels, 1, {exchange(), "Instrument", "Channels"}));
}

int ReadActiveChannel(int channels, int fallback) {
    std::string v;
    std::optional<double> channel;
    if (!ProfileRecord("Settings", "ActiveCh", v, 260, exchange(), true) ||
        !(channel = StoredNumber(v)))
        return 0;
    return static_cast<int>(
        CheckedWhole(*channel, 0, channels - 1, fallback, {exchange(), "Settings", "ActiveCh"}));
}

std::optional<int> ReadActiveSegment(int channel, bool fpSegMode, int fallback) {
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    double seg = ProfileNumber(key, fpSegMode ? 0 : channel, "Settings", kAbsent);
    if (IsAbsent(seg))
        return std::nullopt;
    return static_cast<int>(
        CheckedWhole(seg, 1, kMaxSegmentNumber, fallback, {exchange(), "Settings", key}));
}

void StoreActiveSegment(int segment, bool fpSegMode) {
    const std::string& exch = exchange();
    std::string v;
    // Quiet: a channel that is not in the list leaves the list as it is.
    int channel = 0;
    if (ProfileRecord("Settings", "ActiveCh", v, 260, exch, true))
        channel = StoredWhole(v);
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    std::string list;
    if (!ProfileRecord("Settings", key, list, 260, exch, false))
        return;
    std::istringstream in(list);
    std::vector<long> numbers;
    double n;
    while (in >> n)
        numbers.push_back(ClampedInt(n));
    if (channel >= 0 && channel < static_cast<int>(numbers.size()))
        numbers[channel] = segment;
    std::string out;
    for (long x : numbers)
        out += std::to_string(x) + " ";
    if (out.size() > 39)
        out.resize(39);
    WriteProfileKey("Settings", key, out, exch);
}

} // namespace tw
