#pragma once
#include "app/IsolatedRun.h"
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <functional>
#include <string_view>

namespace tw {

// A reader that hands its points on a block at a time: ok, or why it gave none.
using StreamedImport =
    std::function<ImportResult(ImportSource& in, const ImportContext& ctx, PointSink& out)>;

// What a reader of another tool's file of fileBytes bytes may take: memory a margin over a
// multiple of the file, a minute of processor time, two minutes in all
// (TIDEWRIGHT_READER_SECONDS, fewer seconds for both).
IsolationLimits ReaderLimits(std::size_t fileBytes);

// Runs read in a child process (RunIsolated), so that a crash, a hang or a runaway allocation of
// a library ends as "The file could not be read: <why>." and leaves the program as it was. Its
// points come back through a pipe while it runs and go on to out a block at a time, so that
// neither process holds them whole. False when the reader gave none, its failure or refusal
// given to in, as a PointReader does.
bool ReadIsolated(ImportSource& in, const ImportContext& ctx, PointSink& out,
                  const StreamedImport& read);

// The refusal of a file whose reader was stopped, why as the end of the sentence.
ImportResult UnreadableFile(const std::string& why);

} // namespace tw
