#pragma once
#include <string>

namespace tw {

struct Prompter;

enum ComposerId { kStandardComposer = 0, kFmComposer = 1, kPulseComposer = 2 };

// Process-wide facts settled at start-up and read-only afterwards, but for the wave folder: the
// instrument description load sets it once, when the document is made. Where the user works (the
// active channel and segment) is the document's, or the pulse composer's.
struct LaunchState {
    int composerId = kStandardComposer;
    std::string appName = "Tidewright";
    std::string appDataFolder;
    std::string tmpFolder;     // ends in '/'
    std::string generalFolder; // ends in '/'
    std::string generalIni;
    std::string exchangeFile;
    std::string descrFile;
    std::string family;
    std::string logFile;
    bool fpSegMode = false;
    std::string waveFolder; // ends in '/', or empty when no wave folder is used
    // Tells the user of a stored file the program cannot use as it stands (a record missing or
    // too long, a number out of range, a failed rewrite); set by whoever builds the session.
    Prompter* reports = nullptr;
};

// The session's reporter; standard error when it has none.
Prompter& Reports(const LaunchState& session);

const LaunchState& launch();

// Start-up installs the whole state at once.
void SetLaunchState(const LaunchState& state);

// Fills the folder and file names below an application-data folder ("" is allowed).
void DeriveLaunchPaths(LaunchState& state, const std::string& appDataFolder);

// The user's application-data folder: $APPDATA, else $XDG_DATA_HOME, else ~/.local/share.
std::string FindAppDataFolder();

// Appends one line to the session's log, opening and closing the file for it.
void AppendLog(const LaunchState& session, const std::string& line);

} // namespace tw
