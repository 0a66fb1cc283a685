#pragma once
#include <string>

namespace tw {

// Where the host finds what it starts and the files it shares with the composers.
struct HostSetup {
    std::string appData;          // the application-data folder the composers use too
    std::string instrumentFolder; // the instrument descriptions and profiles
    std::string composer;         // the tidewright program
    std::string simulator;        // the tidewright-awg-sim program
};

// A program installed beside the running one, or in the build tree's folder above it; the bare
// name (found on the PATH) when neither holds it.
std::string SiblingProgram(const std::string& name);

// The setup of an installed or built host: programs beside it, the user's folders.
HostSetup DefaultHostSetup();

} // namespace tw
