#include "hostapp/InstrumentFacts.h"

#include "app/FileUtil.h"
#include "app/ProfileFile.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace tw {

std::vector<double> NumbersIn(const std::string& value) {
    std::vector<double> numbers;
    std::istringstream words(value);
    for (std::string word; words >> word;) {
        double number = 0;
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), number);
        if (ec == std::errc() && end == word.data() + word.size() && std::isfinite(number))
            numbers.push_back(number);
    }
    return numbers;
}

FactsLoad LoadInstrumentFacts(const std::string& descrFile) {
    FactsLoad load;
    InstrumentFacts& f = load.facts;
    f.descrFile = descrFile;
    f.model = FileNameOf(descrFile);
    if (const auto dot = f.model.rfind('.'); dot != std::string::npos)
        f.model.erase(dot);
    if (!FileExists(descrFile)) {
        load.error = "Cannot read " + descrFile + "\nNo such file";
        return load;
    }
    auto get = [&](const char* section, const char* key) {
        return profile::GetValue(descrFile, section, key).value_or("");
    };
    auto missing = [&](const char* section, const char* key, const char* why) {
        load.error = descrFile + ": [" + std::string(section) + "] " + key + " " + why;
        return load;
    };
    f.name = get("Instrument", "Name");
    if (f.name.empty())
        f.name = f.model;
    f.family = get("Instrument", "Family");
    if (f.family.empty())
        f.family = f.model;
    if (const std::string channels = get("Instrument", "Channels"); !channels.empty()) {
        const std::vector<double> n = NumbersIn(channels);
        if (n.size() != 1 || n[0] < 1 || n[0] > kMaxChannels || n[0] != std::floor(n[0]))
            return missing("Instrument", "Channels", "is not a count from 1 to 64");
        f.channels = static_cast<int>(n[0]);
    }
    const std::vector<double> range = NumbersIn(get("Axis", "HRange"));
    constexpr double kMostPoints = 1ull << 40; // beyond any instrument's memory
    if (range.size() < 3 || range[1] < 1 || range[2] < range[1] || range[2] > kMostPoints)
        return missing("Axis", "HRange", "does not hold three lengths");
    f.initialPoints = static_cast<std::int64_t>(range[0]);
    f.minPoints = static_cast<std::int64_t>(range[1]);
    f.maxPoints = static_cast<std::int64_t>(range[2]);
    const std::vector<double> segments = NumbersIn(get("ParmLst", "AcSeg"));
    if (segments.size() < 2 || segments[0] < 1 || segments[1] < segments[0] ||
        segments[1] > kMaxSegmentNumber)
        return missing("ParmLst", "AcSeg", "does not hold the first and last segment");
    f.firstSegment = static_cast<int>(segments[0]);
    f.lastSegment = static_cast<int>(segments[1]);
    std::istringstream clock(get("ParmLst", "Sclk"));
    std::string word;
    clock >> word >> f.sampleClock; // "SCLK 100e6 10 250e6": the word, then the default
    return load;
}

std::vector<std::string> InstrumentModels(const std::string& folder) {
    std::vector<std::string> models;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".ini")
            models.push_back(entry.path().stem().string());
    std::sort(models.begin(), models.end());
    return models;
}

} // namespace tw
