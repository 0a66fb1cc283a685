#pragma once
#include <string>
#include <vector>

namespace tw {

struct LaunchState;

// What the main view keeps of the train between paints.
struct PulseViewState {
    int viewMode = 0; // 0 full train, 1 single section
    int sectionCount = 0;
    int activeSection = 0;
    int activeFormat = 1;
    double trainDuration = 0;
    double levelLow = 0, levelHigh = 0;
    int timeUnit = 1;

    // At view creation: the train state of the channel (0-based) and its view mode; writes a
    // fresh one-section train when the exchange file holds none.
    void Load(const LaunchState& session, int channel);
    // After a change of the stored train: everything but the view mode.
    void Reload(const LaunchState& session, int channel);
    // At view close: the channel's view mode and the active format go to the general settings,
    // and the editor's undo files are deleted.
    void Store(const LaunchState& session, int channel) const;

    // "Full Train", then "Section <n>" for every section.
    std::vector<std::string> SectionList() const;
};

} // namespace tw
