#include "generators/PwmTrain.h"

#include "app/Printf.h"
#include "app/Prompter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tw {
namespace {

constexpr double kPi = 3.14159265358979323846;

long long Round(double x) {
    // The rounding the stored trains were made with, kept to the byte.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    return static_cast<long long>(x + 0.5);
}

double LawWeight(PwmLaw law, long long k, double perMod) {
    const auto kk = static_cast<double>(k);
    switch (law) {
    case PwmLaw::Sine:
        return 0.5 * std::sin(2 * kPi * kk / perMod);
    case PwmLaw::Triangle: {
        const double u = std::fmod(0.75 * perMod + kk, perMod);
        return u <= perMod / 2 ? 0.5 - 2 * u / perMod : 2 * u / perMod - 1.5;
    }
    case PwmLaw::TwoLevel:
        return std::fmod(kk, perMod) <= perMod / 2 ? 0.5 : -0.5;
    case PwmLaw::External:
        break;
    }
    return 0;
}

void Fill(std::vector<std::int32_t>& points, long long from, long long to, std::int32_t code) {
    from = std::clamp<long long>(from, 0, static_cast<long long>(points.size()));
    to = std::clamp<long long>(to, from, static_cast<long long>(points.size()));
    std::fill(points.begin() + from, points.begin() + to, code);
}

long long RoundUpTo(long long v, double granularity) {
    const auto g = std::max<long long>(1, static_cast<long long>(granularity));
    return (v + g - 1) / g * g;
}

void ClockAndLength(const PwmInput& in, const PwmInstrument& inst, PwmPlan& plan, bool doubling) {
    const long long g = EdgeStepDivisor(plan.edges);
    plan.sclk = 1 / (static_cast<double>(g) * plan.resolution);
    plan.length =
        static_cast<long long>(static_cast<double>(plan.count.m) * in.modPeriod * plan.sclk);
    while (doubling && plan.length > 0 && static_cast<double>(plan.length) < inst.minSegment) {
        plan.length *= 2;
        plan.sclk *= 2;
    }
    plan.length = RoundUpTo(plan.length, inst.granularity);
}

PwmResult NotImplemented(Prompter& asks, const char* focus) {
    ask(asks, "Error",
        "Due to Instrument restrictions for the given parameters\nthe PWM will  not be "
        "implemented");
    return {PwmStatus::Refused, focus};
}

} // namespace

PulseCount CountPulses(double modPeriod, double pulsePeriod) {
    const double r = modPeriod / pulsePeriod;
    PulseCount c;
    if (std::fabs(r - static_cast<double>(Round(r))) < 1e-10) {
        c.n = Round(r);
        return c;
    }
    const long long n = Round(r * 1000);
    const long long g = std::gcd(n, 1000LL);
    c.m = 1000 / g;
    c.n = n / g;
    return c;
}

std::vector<double> PulseWidths(const PwmInput& in, const PulseCount& count) {
    std::vector<double> widths(static_cast<size_t>(count.n));
    const double perMod = static_cast<double>(count.n) / static_cast<double>(count.m);
    for (long long k = 0; k < count.n; ++k) {
        const double w = LawWeight(in.law, k, perMod);
        widths[static_cast<size_t>(k)] =
            in.pulseWidth + (w * in.index + in.offset) * in.pulseWidth * 0.01;
    }
    return widths;
}

std::vector<double> EdgeSteps(double period, const std::vector<double>& widths, double resolution) {
    std::vector<double> e;
    e.reserve(2 * widths.size() + 1);
    for (size_t k = 0; k < widths.size(); ++k) {
        e.push_back(static_cast<double>(k) * period / resolution);
        e.push_back((static_cast<double>(k + 1) * period - widths[k]) / resolution);
    }
    e.push_back(static_cast<double>(widths.size()) * period / resolution);
    return e;
}

double SmallestEdgeDistance(const std::vector<double>& edges) {
    double d = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < edges.size(); ++i)
        d = std::min(d, edges[i] - edges[i - 1]);
    return d;
}

long long EdgeStepDivisor(const std::vector<double>& edges) {
    long long g = 0;
    for (size_t i = 1; i < edges.size() && g != 1; ++i)
        g = std::gcd(g, std::llabs(Round(edges[i] - edges[i - 1])));
    return std::max<long long>(g, 1);
}

PwmResult PlanPwm(const PwmInput& in, const PwmInstrument& inst, PwmPlan& plan, Prompter& asks) {
    plan.count = CountPulses(in.modPeriod, in.pulsePeriod);
    // Every pulse takes two points at least: more than the memory holds cannot be built.
    if (plan.count.n < 1 || 2 * static_cast<double>(plan.count.n) > inst.memory)
        return NotImplemented(asks, "Mod_Period");
    plan.widths = PulseWidths(in, plan.count);
    plan.resolution = in.resolution;
    plan.edges = EdgeSteps(in.pulsePeriod, plan.widths, plan.resolution);
    const double dmin = SmallestEdgeDistance(plan.edges);
    if (dmin <= 0) {
        ask(asks, "Error",
            "Due to Instrument restrictions for the given parameters the PWM will  not "
            "be implemented. \nThe ratio between the PW and Modulation Index must be "
            "smaller than the pulse period");
        return {PwmStatus::Refused, "Mod_Index"};
    }
    bool confirmed = false;
    if (dmin < 1) {
        plan.resolution = in.resolution * dmin;
        if (plan.resolution < 1 / inst.maxSclk) {
            ask(asks, "Error",
                "Due to Instrument restrictions for the given parameters the PWM will  "
                "not be implemented\nThe given PulseWidth requires a higher SCLK than "
                "is possible by this unit");
            return {PwmStatus::Refused, "Pulse_Width"};
        }
        if (ask(asks, "Confirm resolution change",
                strprintf("Due to Instrument restrictions for the given parameters\nthe PWM will "
                          "be implemented with Time resolution = %s\n\n Continue ?",
                          strprintf("%.4g", plan.resolution).c_str()),
                Buttons::YesNo, Icon::Question) != Answer::Yes)
            return {PwmStatus::Stopped, ""};
        confirmed = true;
        plan.edges = EdgeSteps(in.pulsePeriod, plan.widths, plan.resolution);
    }
    ClockAndLength(in, inst, plan, true);
    if (in.byDelay)
        return plan.length < 1 ? NotImplemented(asks, "Precision") : PwmResult{};
    if (static_cast<double>(plan.length) > inst.memory) {
        plan.resolution *= static_cast<double>(plan.length) / inst.memory;
        plan.edges = EdgeSteps(in.pulsePeriod, plan.widths, plan.resolution);
        // An edge distance below one step would merge two edges.
        if (SmallestEdgeDistance(plan.edges) < 1)
            return NotImplemented(asks, "Mod_Index");
        ClockAndLength(in, inst, plan, false);
        confirmed = false;
    }
    if (plan.length < 1)
        return NotImplemented(asks, "Precision");
    if (plan.resolution != in.resolution && !confirmed &&
        ask(asks, "Confirm resolution change",
            strprintf("Due to Instrument restrictions for the given parameters\nthe PWM will be "
                      "implemented with Time resolution = %g\n\n Continue ?",
                      plan.resolution),
            Buttons::YesNo, Icon::Question) != Answer::Yes)
        return {PwmStatus::Stopped, ""};
    return {};
}

PwmWave BuildWidthWave(const PwmPlan& plan, std::int32_t highCode, std::int32_t lowCode,
                       Progress& progress) {
    PwmWave w;
    w.points.assign(static_cast<size_t>(plan.length), lowCode);
    const double toPoints = plan.resolution * plan.sclk;
    std::vector<long long> at(plan.edges.size());
    for (size_t i = 0; i < at.size(); ++i)
        at[i] = Round(plan.edges[i] * toPoints);
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        if (!progress.advance(i, at.size()))
            return {};
        Fill(w.points, at[i], at[i + 1], i % 2 == 0 ? lowCode : highCode);
    }
    if (at.size() >= 3) {
        w.firstFall = at[2];
        w.firstMiddle = (at[1] + at[2]) / 2;
    }
    return w;
}

PwmWave BuildDelayWave(const PwmInput& in, long long length, long long pulses,
                       std::int32_t highCode, std::int32_t lowCode, Progress& progress) {
    PwmWave w;
    w.points.assign(static_cast<size_t>(length), lowCode);
    if (pulses <= 0)
        return w;
    const long long q = length / pulses;
    const double a = std::trunc((in.offset - in.index) * static_cast<double>(q) * 0.01);
    for (long long k = 0; k < pulses; ++k) {
        if (!progress.advance(static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(pulses)))
            return {};
        const double d = in.law == PwmLaw::Sine
                             // half the pulses, whole, as the trains have always taken it
                             // NOLINTNEXTLINE(bugprone-integer-division)
                             ? static_cast<double>(pulses / 2) +
                                   std::trunc(std::sin(2 * kPi * static_cast<double>(k) /
                                                       static_cast<double>(pulses)) *
                                              a)
                             : 1;
        const auto s = static_cast<long long>(static_cast<double>(q) * in.index * 0.01 + d);
        const auto e = static_cast<long long>(
            in.pulseWidth / in.pulsePeriod * static_cast<double>(q) + static_cast<double>(s));
        const long long first = std::max<long long>(s, 0);
        const long long last = std::min(e, q - 1);
        Fill(w.points, k * q + first, k * q + last + 1, highCode);
        if (k == 0) {
            w.firstFall = std::min(e + 1, length - 1);
            w.firstMiddle = (s + e) / 2;
        }
    }
    return w;
}

} // namespace tw
