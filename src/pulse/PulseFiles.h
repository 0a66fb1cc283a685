#pragma once
#include "app/Result.h"
#include "pulse/PulseLimits.h"

#include <string>

namespace tw {

class PulseEditor;

// The pulse master file the channel's train was last saved to or opened from ("PulseOrg"); ""
// while it has none.
std::string TrainOrigin(const LaunchState& session, int channel);

// "&Save": writes the channel's train to its pulse master file. False when the train has no name
// yet (empty, or "Untitled"): the caller then runs Save As.
bool SaveTrain(const LaunchState& session, int channel);

// "&Save As..." with the chosen name: ".wav" saves the train as one segment of samples and a
// pulse master file beside it, ".tss" exports the segment and sequence tables, any other name
// a pulse master file that becomes the train's name. False when nothing was saved.
bool SaveTrainAs(const PulseEditor& editor, const std::string& name);

// The segment-and-sequence export of the last download's sequence table: a text part whose
// "Header"/"Length" gives its own size, followed by the samples of every listed segment.
Result ExportSegmentTables(const LaunchState& session, const std::string& path,
                           const PulseLimits& limits);

} // namespace tw
