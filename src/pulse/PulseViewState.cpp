#include "pulse/PulseViewState.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/StoredNumber.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"

namespace tw {

namespace {
std::string viewModeKey(int channel) {
    return strprintf("SectVw-ch%d", channel + 1);
}
} // namespace

void PulseViewState::Reload(const LaunchState& session, int channel) {
    profile::Snapshot snap(session.exchangeFile);
    std::string root = TrainRootSection(channel);
    sectionCount = StoredCount(LeadingNumber(snap.get(root, "qPls"), 0));
    activeSection = StoredCount(LeadingNumber(snap.get(root, "activePls"), 0));
    trainDuration = LeadingNumber(snap.get(root, "Duration"), 0);
    levelLow = LeadingNumber(snap.get(root, "VpMn"), levelLow);
    levelHigh = LeadingNumber(snap.get(root, "VpMx"), levelHigh);
    timeUnit = TimeUnitIndex(LeadingNumber(snap.get(root, "tmUnitInd"), 1));
    activeFormat = SectionFormat(
        LeadingNumber(snap.get(TrainSectionName(channel, activeSection), "SectFmt"), kNodeFormat));
}

void PulseViewState::Load(const LaunchState& session, int channel) {
    Reload(session, channel);
    std::string mode;
    ProfileRecord(session, kPulseSettings, viewModeKey(channel).c_str(), mode, 260,
                  session.generalIni, true);
    viewMode = StoredWhole(mode) == 1 ? 1 : 0;
    if (sectionCount > 0)
        return;
    TrainEdit e(session, channel);
    e.setRoot("qPls", "1");
    e.setRoot("activePls", "0");
    e.setRoot("Duration", strprintf("%g", trainDuration));
    e.setRoot("VpMn", strprintf("%.3f", levelLow));
    e.setRoot("VpMx", strprintf("%.3f", levelHigh));
    if (!e.sectionKey(0, "SectFmt"))
        e.setSectionKey(0, "SectFmt", strprintf("%d", kNodeFormat));
    e.setSectionKey(0, "Start", "0");
    e.setSectionKey(0, "LocDur", "0");
    e.setRoot("tmUnitInd", "1");
    e.commit();
    Reload(session, channel);
}

void PulseViewState::Store(const LaunchState& session, int channel) const {
    WriteGeneralSetting(session, viewModeKey(channel), viewMode == 1 ? "1" : "0", kPulseSettings);
    WriteGeneralSetting(session, "SectFmt", strprintf("%d", activeFormat), kPulseSettings);
    RemoveFile(session.tmpFolder + "UndoSect.tmp");
    RemoveFile(session.tmpFolder + "UndoPulse.tmp");
}

std::vector<std::string> PulseViewState::SectionList() const {
    std::vector<std::string> list{"Full Train"};
    for (int i = 0; i < sectionCount; ++i)
        list.push_back(strprintf("Section %d", i + 1));
    return list;
}

} // namespace tw
