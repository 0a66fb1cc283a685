#pragma once
#include "app/IsolatedRun.h"
#include "document/WaveFormats.h"

#include <functional>
#include <string_view>

namespace tw {

using WholeImport = std::function<ImportResult(std::string_view bytes, const ImportContext& ctx)>;

// What a reader of another tool's file of fileBytes bytes may take: memory a margin over a
// multiple of the file, a minute of processor time, two minutes in all
// (TIDEWRIGHT_READER_SECONDS, fewer seconds for both).
IsolationLimits ReaderLimits(std::size_t fileBytes);

// Runs import in a child process (RunIsolated) and brings back its result, so that a crash, a
// hang or a runaway allocation of a library ends as "The file could not be read: <why>." and
// leaves the program as it was.
ImportResult ImportIsolated(std::string_view bytes, const ImportContext& ctx,
                            const WholeImport& import);

// The refusal of a file whose reader was stopped, why as the end of the sentence.
ImportResult UnreadableFile(const std::string& why);

} // namespace tw
