#include "hostapp/HostExchange.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"

#include <sstream>

namespace tw {

HostExchange::HostExchange(const std::string& appDataFolder, Prompter& reports,
                           const std::string& caption) {
    DeriveLaunchPaths(session_, appDataFolder);
    session_.appName = caption;
    session_.reports = &reports;
    tmpFolder_ = session_.tmpFolder;
    generalFolder_ = session_.generalFolder;
    path_ = session_.exchangeFile;
}

std::string ActiveSegmentList(const std::string& stored, int channels, ChannelSegment active) {
    std::vector<std::string> items;
    std::istringstream in(stored);
    for (std::string word; static_cast<int>(items.size()) < channels && in >> word;)
        items.push_back(NumbersIn(word).size() == 1 ? word : "1");
    items.resize(static_cast<std::size_t>(channels), "1");
    if (active.channel >= 0 && active.channel < channels)
        items[static_cast<std::size_t>(active.channel)] = std::to_string(active.segment);
    std::string list;
    for (const std::string& item : items)
        list += item + " ";
    return list;
}

bool TitleSurvivesProfileRead(const std::string& title) {
    if (title.empty() || title.size() > 257 || EqualsNoCase(title, "noo"))
        return false;
    if (title.find_first_of("\r\n") != std::string::npos ||
        title.find("//", 1) != std::string::npos)
        return false;
    const char first = title.front(), last = title.back();
    if (first == ' ' || first == '\t' || last == ' ' || last == '\t')
        return false;
    return !(title.size() >= 2 && first == last && (first == '"' || first == '\''));
}

std::string HostExchange::write(const InstrumentFacts& facts, const std::string& hostTitle,
                                ChannelSegment active) const {
    if (!CreateFolder(tmpFolder_) || !CreateFolder(generalFolder_))
        return "Cannot create " + tmpFolder_;
    profile::Transaction t(session_, path_);
    if (t.get("Instrument", "Model").value_or(facts.model) != facts.model)
        for (const std::string& section : profile::SectionNames(path_))
            t.deleteSection(section);
    t.write("Instrument", "DescrFile", facts.descrFile);
    t.write("Instrument", "Family", facts.family);
    t.write("Instrument", "Model", facts.model);
    t.write("Instrument", "Channels", std::to_string(facts.channels));
    t.write("Settings", "ActiveCh", std::to_string(active.channel));
    t.write("Settings", "AcSeg",
            ActiveSegmentList(t.get("Settings", "AcSeg").value_or(""), facts.channels, active));
    if (!facts.sampleClock.empty() && !t.get("Settings", "Sclk")) {
        std::string clocks;
        for (int c = 0; c < facts.channels; ++c)
            clocks += facts.sampleClock + " ";
        t.write("Settings", "Sclk", clocks);
    }
    t.write("AppTits", "AC", hostTitle);
    if (!t.commit())
        return "Cannot write " + path_;
    return {};
}

std::string HostExchange::composerTitle(const ComposerKind& kind) const {
    return profile::GetValue(path_, "AppTits", kind.titleKey).value_or("");
}

void HostExchange::forgetComposerTitle(const ComposerKind& kind) const {
    profile::DeleteKey(session_, path_, "AppTits", kind.titleKey);
}

} // namespace tw
