#pragma once
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "host/ExchangeFile.h"
#include "host/InstrumentDescription.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

class WeDoc;

// With a path: records it as the segment's file and marks the segment modified. With an empty
// path: reads the segment's file into it; false when the table has no entry.
bool RecordSegment(const LaunchState& session, int segment, int channel, std::string& path,
                   bool fpSegMode);
// The recording form for paths that are not to be filled in, in the session's segment mode.
void RecordSegmentFile(const LaunchState& session, int segment, int channel,
                       const std::string& path);

// A host command stem from the description file: the value up to and including its first blank
// after the first character, the whole value when it has none.
std::string CommandStem(std::string_view value);

// Sends the segment-select command to the host.
void SelectSegmentOnHost(const LaunchState& session, Prompter& prompts, int segment);

// The segment field's change: refuses (kMsgValueOutOfRange) or corrects (kMsgSegmentReplaced) the
// number, then switches to it. segment is left as the field must show it. False when refused.
bool CheckSegmentNumber(WeDoc& doc, int& segment);

// Loads the active channel's active segment into the document (channel and segment switches).
void LoadChannelSegment(WeDoc& doc);
// The same at the view's first update.
void LoadActiveSegment(WeDoc& doc);

// Creates or resizes the segment's pattern file (one byte per patSyncFactor bytes of wave).
void UpdatePatternTable(WeDoc& doc, std::string path, int segment, int channel);

// Gives the partner channel's file of the active segment the document's wavelength.
void SyncPartnerChannelSegment(WeDoc& doc);

} // namespace tw
