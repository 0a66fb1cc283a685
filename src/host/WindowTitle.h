#pragma once
#include "app/LaunchState.h"

#include <string>
#include <string_view>

namespace tw {

// Drive (or root), "...", file name: keeps long paths readable in the title bar.
std::string ShortPathForTitle(std::string_view path);

// appName + " -> " + the document path (shortened): the waveform composers' title.
std::string BuildWindowTitle(const LaunchState& session, const std::string& documentPath);

// Writes the title to the exchange file for the host and to the log.
// Returns false (after "ATTENTION\nInvalid Composer ID") for an unknown composer.
bool PublishTitle(const std::string& title);

} // namespace tw
