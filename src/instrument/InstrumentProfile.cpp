#include "instrument/InstrumentProfile.h"

#include "app/ProfileFile.h"

#include <charconv>
#include <filesystem>

namespace tw {

namespace {

constexpr std::int64_t kMostPoints = std::int64_t{1} << 40;

bool ReadWhole(const profile::Snapshot& file, const char* section, const char* key,
               std::int64_t low, std::int64_t high, std::int64_t& value, std::string& error) {
    auto text = file.get(section, key);
    if (!text)
        return true;
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size() || v < low || v > high) {
        error = std::string("[") + section + "] " + key + "=" + *text +
                " must be a whole number from " + std::to_string(low) + " to " +
                std::to_string(high);
        return false;
    }
    value = v;
    return true;
}

void ReadText(const profile::Snapshot& file, const char* section, const char* key,
              std::string& value) {
    if (auto text = file.get(section, key))
        value = *text;
}

} // namespace

ProfileLoad LoadInstrumentProfile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {std::nullopt, "no instrument profile " + path};
    profile::Snapshot file(path);
    InstrumentProfile p;
    p.path = path;
    p.model = std::filesystem::path(path).stem().string();
    std::string error;
    std::int64_t pointBytes = p.pointBytes, maxBlock = 0, maxSteps = 0;
    ReadText(file, "Identity", "Idn", p.identity);
    ReadText(file, "Channel", "Select", p.selectChannel);
    ReadText(file, "Wave", "Define", p.defineSegment);
    ReadText(file, "Wave", "Select", p.selectSegment);
    ReadText(file, "Wave", "Data", p.dataCommand);
    ReadText(file, "Wave", "ReadBack", p.readBack);
    ReadText(file, "FM", "Data", p.fmDataCommand);
    ReadText(file, "Sequence", "Clear", p.clearSequence);
    ReadText(file, "Sequence", "Step", p.sequenceStep);
    std::string order = "little";
    ReadText(file, "Wave", "ByteOrder", order);
    if (order != "little" && order != "big")
        return {std::nullopt, path + ": [Wave] ByteOrder must be little or big"};
    p.bigEndian = order == "big";
    if (!ReadWhole(file, "Wave", "PointBytes", 1, 8, pointBytes, error) ||
        !ReadWhole(file, "Wave", "MinPoints", 1, kMostPoints, p.minPoints, error) ||
        !ReadWhole(file, "Wave", "Granularity", 1, 1 << 20, p.granularity, error) ||
        !ReadWhole(file, "Wave", "MaxBlockBytes", 0, kMostPoints * 8, maxBlock, error) ||
        !ReadWhole(file, "Sequence", "MaxSteps", 0, 1 << 24, maxSteps, error))
        return {std::nullopt, path + ": " + error};
    p.pointBytes = static_cast<int>(pointBytes);
    p.maxBlockBytes = static_cast<std::uint64_t>(maxBlock);
    p.maxSequenceSteps = static_cast<int>(maxSteps);
    return {p, {}};
}

ProfileLoad FindInstrumentProfile(const std::string& folder, const std::string& model) {
    if (model.ends_with(".scpi"))
        return LoadInstrumentProfile(model);
    if (model.empty() || model.find('/') != std::string::npos)
        return {std::nullopt, "no instrument profile for '" + model + "'"};
    return LoadInstrumentProfile(folder + "/" + model + ".scpi");
}

std::vector<InstrumentProfile> ProfilesMatching(const std::string& folder,
                                                const std::string& idnAnswer) {
    std::vector<InstrumentProfile> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() != ".scpi")
            continue;
        if (ProfileLoad load = LoadInstrumentProfile(entry.path().string());
            load.profile && !load.profile->identity.empty() &&
            idnAnswer.starts_with(load.profile->identity))
            found.push_back(*load.profile);
    }
    return found;
}

std::string CheckWaveLength(const InstrumentProfile& p, std::uint64_t bytes,
                            const std::string& what) {
    const std::string rule = "the " + p.model + " profile's ";
    if (bytes % static_cast<std::uint64_t>(p.pointBytes) != 0)
        return what + " holds " + std::to_string(bytes) + " bytes, not a whole number of " +
               std::to_string(p.pointBytes) + "-byte points (" + rule + "PointBytes)";
    const std::uint64_t points = bytes / static_cast<std::uint64_t>(p.pointBytes);
    if (points < static_cast<std::uint64_t>(p.minPoints))
        return what + " has " + std::to_string(points) + " points; " + rule + "MinPoints is " +
               std::to_string(p.minPoints);
    if (points % static_cast<std::uint64_t>(p.granularity) != 0)
        return what + " has " + std::to_string(points) + " points, not a multiple of " + rule +
               "Granularity " + std::to_string(p.granularity);
    if (p.maxBlockBytes && bytes > p.maxBlockBytes)
        return what + " holds " + std::to_string(bytes) + " bytes; " + rule + "MaxBlockBytes is " +
               std::to_string(p.maxBlockBytes);
    return {};
}

} // namespace tw
