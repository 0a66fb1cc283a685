#pragma once
#include <string>

namespace tw {

// Menu and document-template sets chosen by composer.
enum ResourceSet {
    kPulseResources = 127,
    kStandardResources = 128,
    kFmResources = 129,
    kMarkerBitResources = 150
};

// The process's command line, program path first, its arguments joined by blanks.
std::string JoinCommandLine(int argc, const char* const* argv);

// Composer id from the whole command line, program path included: "PLS" beats "FMC".
int ComposerFromCommandLine(const std::string& commandLine);
const char* AppNameFor(int composerId);

// The About box of the program named appName: title, then its two lines.
std::string AboutTitle(const std::string& appName);
std::string AboutVersionLine(const std::string& appName);
std::string AboutBuildLine();

} // namespace tw
