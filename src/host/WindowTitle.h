#pragma once
#include "app/LaunchState.h"
#include "app/Result.h"

#include <string>
#include <string_view>

namespace tw {

// Drive (or root), "...", file name: keeps long paths readable in the title bar.
std::string ShortPathForTitle(std::string_view path);

// appName + " -> " + the document path (shortened): the waveform composers' title.
std::string BuildWindowTitle(const LaunchState& session, const std::string& documentPath);

// Writes the title to the exchange file for the host and to the log. Fails with
// "ATTENTION\nInvalid Composer ID" for an unknown composer.
Result PublishTitle(const LaunchState& session, const std::string& title);

} // namespace tw
