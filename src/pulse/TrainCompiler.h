#pragma once
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "pulse/PulseLimits.h"
#include "pulse/PulseOptions.h"
#include "pulse/TrainModel.h"

#include <array>
#include <vector>

namespace tw {

// One entry of the link list. A section header has field 0 negative: {-1, repeat, section index,
// rows used}. A link before conversion is {begin s, end s, level at begin V, level at end V};
// after conversion {begin position, end position, slope codes/sample, intercept codes}.
using LinkEntry = std::array<double, 4>;
inline bool IsHeader(const LinkEntry& e) {
    return e[0] < 0;
}

struct SectionRange {
    int header; // list position of the section's header
    int first;  // of its first link
    int last;   // of its last link
};

// x truncated toward zero, saturated at +-4.6e18 (0 for not a number): sample counts and
// clock factors as whole numbers.
long long WholeCount(double x);
// x + 0.5 truncated toward zero, the rounding every clock and position step uses.
long long Nearest(double x);
// The fewest copies (at least 1) of n points whose total is a multiple of increment and at least
// least points; as a double, since a description may ask for more than any count holds.
double CopiesToFit(long long n, int increment, double least);

// Works out the sample clock a train needs and turns its table description into links in
// sample positions and codes.
class TrainCompiler {
  public:
    // Compiles the train of the channel (0-based); what it has to tell or ask goes to prompts.
    TrainCompiler(const PulseLimits& limits, int channel, const LaunchState& session,
                  Prompter& prompts)
        : limits_(limits), channel_(channel), session_(session), prompts_(prompts) {}

    // Results.
    enum { kNoTrain = 0, kIncomplete = 1, kDeclined = 2, kCompiled = 4, kClockFailed = 5 };

    // Reads the train (one snapshot of the exchange file) and compiles it. A requested clock
    // above 0 is used instead of working one out.
    int CompileTrain(double requestedSclk);
    int Compile(const TrainData& train, double requestedSclk);
    void ConvertToSamples();
    double MaxSlope() const;
    // Compiles and converts, then again on a multiple of the clock while transitions climb 200
    // codes per sample or more and memory and clock allow. Returns the last compile result.
    int RunClockLoop(double activeLocalDuration);

    // The shortest sequenced segment on the clock `clock`, points.
    double MinSegment(double clock) const;

    int mode = kSingleSegmentMode;
    double sclk = 0;
    double baseSclk = 0;
    int copies = 1;
    double vppTrain = 0;
    std::vector<LinkEntry> links;
    std::vector<SectionRange> sectionRanges;
    const PulseLimits& limits() const { return limits_; }
    const LaunchState& session() const { return session_; }
    Prompter& prompts() const { return prompts_; }

  private:
    bool buildLinks();
    bool automaticClock();
    int testForcedClock() const; // 0 fits, 1 set aside by OK, 2 cancelled
    int fitWavelength();
    std::vector<SectionRange> ranges() const;
    bool timesFinite() const;          // link times, local durations and the duration
    int tooLong(double samples) const; // reports a segment beyond kMaxTrainSamples
    Answer warn(const char* caption, const std::string& text, Buttons buttons) const;

    const PulseLimits& limits_;
    int channel_;
    const LaunchState& session_;
    Prompter& prompts_;
    TrainData train_;
    bool clockForced_ = false;
};

} // namespace tw
