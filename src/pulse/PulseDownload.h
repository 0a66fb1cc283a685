#pragma once
#include "pulse/PulseLimits.h"

#include <string>

namespace tw {

class PulseEditor;

// The texts the download summary shows.
struct DownloadSummary {
    std::string amplitude;     // "%.3f" of the train's peak-to-peak volts
    std::string offset;        // "0.000"
    std::string sampleClock;   // engineering notation
    std::string memoryUsage;   // engineering notation, points
    std::string segments;      // populated segments
    std::string steps;         // sequence steps; empty for single-segment downloads
    std::string waveformsMode; // "Sequenced" or "Arbitrary"
};

// "Attention: exceeds <segment table, memory, sequence table> resource(s)" for every resource a
// summary reaches, or "" (then the summary may be accepted).
std::string SummaryAttention(const DownloadSummary& summary, const PulseLimits& limits);

struct SummaryChoice {
    bool accepted = false;
    bool dontShowAgain = false;
};

// The summary dialog as the download sees it: the composer's listener, which the GUI answers
// with its dialog and tests script. Without windows it accepts whatever the attention line
// allows.
struct SummaryAsker {
    virtual SummaryChoice askSummary(const DownloadSummary& /*summary*/,
                                     const std::string& attention) {
        return {attention.empty(), false};
    }
    virtual ~SummaryAsker() = default;
};

// What one download run produced, for the callers that show or test it.
struct DownloadReport {
    int mode = -1; // the mode the segments were built in
    double sclk = 0;
    DownloadSummary summary;
    std::string command; // empty when nothing was built
};

enum { kDownloadStopped = 10, kDownloadImpossible = 11, kDownloadDone = 12 };

// Compiles, segments and sends the train, asking `asker` to accept the summary. modeOverride >= 0
// builds in that mode; noSend stops after the segment files (single-segment mode). Returns 10,
// 11 or 12.
int DownloadTrain(const PulseEditor& editor, SummaryAsker& asker, int modeOverride, bool noSend,
                  DownloadReport* report = nullptr);

// The host command for a built train: clock, amplitude, mode word and the per-mode tail.
// segmentPath and its sample count serve the single-segment modes (1 and 5).
std::string PulseCommand(int mode, const DownloadSummary& summary, const std::string& segmentPath,
                         long long sampleCount);

// "&Download Pulse Train": clears the tmp folder's "*.wav", downloads, reports
// kMsgDownloadOptionUnusable on 11 and tells the host after a single-segment download.
int DownloadPulseTrainCommand(const PulseEditor& editor, SummaryAsker& asker,
                              DownloadReport* report = nullptr);

// Saving under a ".wav" name: the train as one segment of samples copied to path.
bool SaveTrainSamples(const PulseEditor& editor, const std::string& path);

} // namespace tw
