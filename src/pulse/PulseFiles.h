#pragma once
#include "pulse/PulseLimits.h"

#include <string>

namespace tw {

class PulseEditor;

// "&Save": writes the train to the pulse master file named by "PulseOrg". False when the train
// has no name yet (empty, or "Untitled"): the caller then runs Save As.
bool SaveTrain();

// "&Save As..." with the chosen name: ".wav" saves the train as one segment of samples and a
// pulse master file beside it, ".tss" exports the segment and sequence tables, any other name
// a pulse master file that becomes the train's name. False when nothing was saved.
bool SaveTrainAs(const PulseEditor& editor, const std::string& name);

// The segment-and-sequence export of the last download's "PulsSeq": a text part whose
// "Header"/"Length" gives its own size, followed by the samples of every listed segment.
bool ExportSegmentTables(const std::string& path, const PulseLimits& limits);

} // namespace tw
