#include "SimLimits.h"

#include "app/ProfileFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace tw::sim {

namespace {

// Every limit sizes memory or loops: bounded before use.
constexpr double kMostLimit = double(1L << 40);

// The last two numbers of a range line ("Segment Number 1 16384", "SCLK 100e6 10 250e6").
bool LastTwo(const std::string& text, double& low, double& high) {
    std::istringstream in(text);
    std::vector<double> numbers;
    std::string word;
    while (in >> word) {
        std::istringstream number(word);
        double v = 0;
        if (number >> v && number.eof())
            numbers.push_back(v);
    }
    if (numbers.size() < 2)
        return false;
    low = numbers[numbers.size() - 2];
    high = numbers.back();
    return std::isfinite(low) && std::isfinite(high) && low <= high && high < kMostLimit;
}

} // namespace

bool ReadSimLimits(const std::string& file, SimLimits& limits, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = "no instrument description " + file;
        return false;
    }
    profile::Snapshot snap(file);
    limits.model = std::filesystem::path(file).stem().string();
    auto range = [&](const char* section, const char* key, double& low, double& high) {
        auto text = snap.get(section, key);
        if (!text || !LastTwo(*text, low, high)) {
            error = file + ": [" + section + "] " + key + " is missing or no range";
            return false;
        }
        return true;
    };
    auto whole = [&](const char* section, const char* key, long& value, long low) {
        if (auto text = snap.get(section, key)) {
            std::istringstream in(*text);
            double v = 0;
            if (!(in >> v) || v < low || v >= kMostLimit) {
                error = file + ": [" + section + "] " + key + " is no number from " +
                        std::to_string(low);
                return false;
            }
            value = static_cast<long>(v);
        }
        return true;
    };
    double a = 0, b = 0;
    if (!range("ParmLst", "AcSeg", a, b))
        return false;
    limits.segmentMin = std::max(1L, static_cast<long>(a));
    limits.segmentMax = static_cast<long>(b);
    if (!range("Axis", "HRange", a, b))
        return false;
    limits.lengthMin = std::max(1L, static_cast<long>(a));
    limits.lengthMax = limits.memory = std::max(limits.lengthMin, static_cast<long>(b));
    if (!range("ParmLst", "Sclk", limits.clockMin, limits.clockMax) ||
        !range("ParmLst", "Ampl", limits.amplitudeMin, limits.amplitudeMax))
        return false;
    if (snap.get("FmComposer", "FmLen")) {
        if (!range("FmComposer", "FmLen", a, b))
            return false;
        limits.fmPointsMax = static_cast<long>(b);
    }
    return whole("Axis", "resFactor", limits.granularity, 1) &&
           whole("SegmTbl", "MaxSequStp", limits.maxSteps, 1) &&
           whole("SegmTbl", "MaxLoopNo", limits.maxLoops, 1);
}

} // namespace tw::sim
