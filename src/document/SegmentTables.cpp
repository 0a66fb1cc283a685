#include "document/SegmentTables.h"

#include "app/LaunchState.h"
#include "app/ProfileStore.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace tw {

void StoreActiveSegment(int segment, bool fpSegMode) {
    const std::string& exch = launch().exchangeFile;
    std::string v;
    int channel = 0;
    if (ProfileRecord("Settings", "ActiveCh", v, 260, exch, true))
        channel = std::atoi(v.c_str());
    const char* key = fpSegMode ? "FPSeg" : "AcSeg";
    std::string list;
    if (!ProfileRecord("Settings", key, list, 260, exch, false))
        return;
    std::istringstream in(list);
    std::vector<long> numbers;
    double n;
    while (in >> n)
        numbers.push_back(static_cast<long>(n));
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
