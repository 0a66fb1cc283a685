#pragma once
#include "app/Progress.h"
#include "app/Prompter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The modulation laws, by their place in the "Shape" list.
enum class PwmLaw { Sine = 0, Triangle = 1, TwoLevel = 2, External = 3 };

// The pulse train and its modulation, in seconds, volts and percent.
struct PwmInput {
    double pulsePeriod = 0; // T
    double pulseWidth = 0;  // PW
    double high = 0, low = 0;
    double modPeriod = 0;
    double index = 0;  // I, or the start area with modulation by delay
    double offset = 0; // O, or the end area
    double resolution = 0;
    PwmLaw law = PwmLaw::Sine;
    bool byDelay = false;
};

// What the instrument allows.
struct PwmInstrument {
    double maxSclk = 0;
    double minSegment = 0;
    double memory = 0;
    double granularity = 1;
    double amplMin = 0, amplMax = 0;
    double codeSpan = 0; // vMax - vMin, truncated
};

// m modulation periods holding n pulses repeat seamlessly.
struct PulseCount {
    long long m = 1;
    long long n = 0;
};
PulseCount CountPulses(double modPeriod, double pulsePeriod);

// The width of every pulse of the segment.
std::vector<double> PulseWidths(const PwmInput& in, const PulseCount& count);

// The 2n + 1 edge times in steps of resolution: period starts, rising edges, the end.
std::vector<double> EdgeSteps(double period, const std::vector<double>& widths, double resolution);
double SmallestEdgeDistance(const std::vector<double>& edges);
// The greatest common divisor of the edge distances, each rounded to whole steps.
long long EdgeStepDivisor(const std::vector<double>& edges);

// The worked-out segment: clock, length and where the pulses lie.
struct PwmPlan {
    PulseCount count;
    std::vector<double> widths;
    std::vector<double> edges; // in steps of resolution
    double resolution = 0;     // the resolution used
    double sclk = 0;
    long long length = 0;
};

enum class PwmStatus { Ok, Refused, Stopped };
struct PwmResult {
    PwmStatus status = PwmStatus::Ok;
    std::string focus; // the key of the field to select after a refusal
};

// Works out clock and length, asking the user where the resolution has to change; refusals are
// told through asks as well.
PwmResult PlanPwm(const PwmInput& in, const PwmInstrument& inst, PwmPlan& plan, Prompter& asks);

// The segment's points and the two alignment positions besides its start.
struct PwmWave {
    std::vector<std::int32_t> points;
    long long firstFall = 0;
    long long firstMiddle = 0;
};
// A cancel through progress gives a wave of no points.
PwmWave BuildWidthWave(const PwmPlan& plan, std::int32_t highCode, std::int32_t lowCode,
                       Progress& progress = NoProgress());
PwmWave BuildDelayWave(const PwmInput& in, long long length, long long pulses,
                       std::int32_t highCode, std::int32_t lowCode,
                       Progress& progress = NoProgress());

} // namespace tw
