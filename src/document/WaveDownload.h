#pragma once
#include "app/LaunchState.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class WeDoc;

// The trace-type names in index order.
inline constexpr const char* kTraceTypeNames[] = {"arb", "dig", "alL"};

// Formats a host command template: each "%d" (or "%i") takes the next number, "%%" is one
// percent sign, anything else stays as written, so a bad template cannot break the program.
std::string FormatCommandTemplate(std::string_view templ, const std::vector<long>& numbers);

// Whether the download mode chosen in the session's exchange file is a combined one ("COMb...").
bool CombinedDownloadMode(const LaunchState& session);

// The trace-type prefix (":TRAC:TYPE arb;"), asking for the type through the document's listener
// when none is stored; also copies the additional-bit settings of the active segment for
// digital types.
std::string TraceTypePrefix(WeDoc& doc);

// The Download command of the standard and FM composers: re-reads the active channel, then the
// document's composer sends it. 1 when a text was delivered to the host, else 0.
int DownloadWaveform(WeDoc& doc);
// The two forms: the trace download (recorded as loaded) and the FM download (with the marker
// file).
int SendTraceDownload(WeDoc& doc);
int SendFmDownload(WeDoc& doc);

// The texts without sending them, for the standard (trace) and FM forms.
std::string StandardDownloadText(WeDoc& doc);
std::string FmDownloadText(const WeDoc& doc);

// The content of the "$xMark" file of the FM download: the indices as consecutive signed
// 32-bit little-endian integers.
std::string FmMarkerFileText(std::span<const std::int32_t> indices);

// Writes that content to tmpFolder + "$xMark", replacing any earlier file.
bool WriteFmMarkerFile(const std::string& tmpFolder, std::span<const std::int32_t> indices);

} // namespace tw
