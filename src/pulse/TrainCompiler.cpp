#include "pulse/TrainCompiler.h"

#include "app/MessageIds.h"
#include "app/NumberText.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_set>

namespace tw {

long long WholeCount(double x) {
    // No train reaches 2^62 samples; beyond, the count saturates instead of being undefined.
    constexpr double kMost = 4.6e18;
    if (std::isnan(x))
        return 0;
    return static_cast<long long>(std::clamp(x, -kMost, kMost));
}

long long Nearest(double x) {
    return WholeCount(x + 0.5);
}

namespace {

bool multipleOf(long long n, int increment) {
    return increment <= 1 || n % increment == 0;
}

} // namespace

double CopiesToFit(long long n, int increment, double least) {
    if (n <= 0)
        return 1;
    const long long step =
        increment > 1 ? increment / std::gcd(n, static_cast<long long>(increment)) : 1;
    const double atLeast = std::max(1.0, std::ceil(least / static_cast<double>(n)));
    return std::ceil(atLeast / static_cast<double>(step)) * static_cast<double>(step);
}

Answer TrainCompiler::warn(const char* caption, const std::string& text, Buttons buttons) const {
    return ask(prompts_, caption, text, buttons, Icon::Exclamation);
}

double TrainCompiler::MinSegment(double clock) const {
    double wl = limits_.wlIncrement;
    // A clock times a decimal loop time lands a hair above whole numbers; do not round that up.
    double segment = wl * std::ceil(clock * limits_.minLoopTime / wl - 1e-9);
    return segment > limits_.minWavelength ? segment : limits_.minWavelength;
}

int TrainCompiler::CompileTrain(double requestedSclk) {
    return Compile(ReadTrain(session_, channel_), requestedSclk);
}

bool TrainCompiler::buildLinks() {
    links.clear();
    double cursor = 0;
    for (int i = 0; i < static_cast<int>(train_.sections.size()); ++i) {
        const TrainSectionData& s = train_.sections[static_cast<size_t>(i)];
        if (s.format != kLinkFormat && s.format != kNodeFormat)
            continue; // templates carry no links
        int first = s.format == kNodeFormat ? 1 : 0;
        if (s.rowCount < first + 1)
            continue;
        size_t header = links.size();
        links.push_back({-1, static_cast<double>(s.repeat), static_cast<double>(i),
                         static_cast<double>(s.rowCount - first)});
        double prevTime = s.start;
        double prevLevel = s.format == kNodeFormat ? s.rows[0].level.value_or(0) : 0;
        for (int r = first; r < s.rowCount; ++r) {
            const TrainRow& row = s.rows[static_cast<size_t>(r)];
            // A row still being typed (no level or no time) adds nothing.
            if (!row.level)
                continue;
            if (s.format == kLinkFormat) {
                if (!row.interval)
                    continue;
                links.push_back({cursor, cursor + *row.interval, *row.level, *row.level});
                cursor += *row.interval;
            } else {
                if (!row.cumulative)
                    continue;
                double t = s.start + *row.cumulative;
                if (t != prevTime)
                    links.push_back({prevTime, t, prevLevel, *row.level});
                prevTime = t;
                prevLevel = *row.level;
            }
        }
        if (links.size() == header + 1)
            links.pop_back();
    }
    return !links.empty();
}

bool TrainCompiler::automaticClock() {
    std::vector<double> distinct;
    std::unordered_set<double> seen;
    for (const auto& l : links) {
        if (IsHeader(l))
            continue;
        double d = static_cast<double>(Nearest((l[1] - l[0]) * 1e11)) * 1e-11;
        if (seen.insert(d).second)
            distinct.push_back(d);
    }
    int e = 0;
    for (double d : distinct) {
        if (d > 0)
            e = std::max(e, -static_cast<int>(std::log10(d)));
        e = std::min(e, 11);
        while (e < 11) {
            double p = d * static_cast<double>(Nearest(std::pow(10.0, e)));
            if (std::fabs(p - std::round(p)) <= 1e-9)
                break;
            ++e;
        }
    }
    double scale = std::pow(10.0, e);
    long long divisor = 0;
    for (double d : distinct)
        if (d * scale < 0.999999) {
            warn(session_.appName.c_str(), "Undocumented error.\nCall developer", Buttons::Ok);
            return false;
        }
    for (double d : distinct) {
        divisor = std::gcd(divisor, Nearest(d * scale));
        if (divisor == 1)
            break;
    }
    sclk = static_cast<double>(Nearest(scale / static_cast<double>(divisor)));
    return true;
}

int TrainCompiler::tooLong(double samples) const {
    warn(session_.appName.c_str(),
         strprintf("The pulse train needs %.15g samples in one segment at %g samples a second; a "
                   "segment holds at most %lld.",
                   samples, sclk, kMaxTrainSamples),
         Buttons::Ok);
    return kClockFailed;
}

bool TrainCompiler::timesFinite() const {
    if (!std::isfinite(train_.duration))
        return false;
    for (const auto& l : links)
        if (!std::isfinite(l[0]) || !std::isfinite(l[1]))
            return false;
    for (const auto& s : train_.sections)
        if (!std::isfinite(s.localDuration))
            return false;
    return true;
}

std::vector<SectionRange> TrainCompiler::ranges() const {
    std::vector<SectionRange> out;
    for (int j = 0; j < static_cast<int>(links.size()); ++j)
        if (IsHeader(links[static_cast<size_t>(j)])) {
            if (!out.empty())
                out.back().last = j - 1;
            out.push_back({j, j + 1, j + 1});
        }
    if (!out.empty())
        out.back().last = static_cast<int>(links.size()) - 1;
    return out;
}

int TrainCompiler::testForcedClock() const {
    double deviation = 0;
    for (const auto& l : links) {
        if (IsHeader(l))
            continue;
        double x = l[1] * sclk;
        double d = std::fabs(x - std::round(x));
        deviation = std::max(deviation, d < 0.001 ? 0.0 : d);
    }
    if (deviation != 0) {
        Answer a = warn("Timing problem",
                        vformat(StringText(kMsgForcedClockResolution),
                                EngNumberText(deviation / sclk, 9).c_str()),
                        Buttons::OkCancel);
        return a == Answer::Ok ? 1 : 2;
    }
    std::vector<long long> lengths;
    if (mode == kSingleSegmentMode) {
        lengths.push_back(Nearest(links.back()[1] * sclk));
    } else if (mode == kSectionPerSegmentMode) {
        double previousEnd = 0;
        for (const auto& r : ranges()) {
            double end = links[static_cast<size_t>(r.last)][1];
            lengths.push_back(Nearest((end - previousEnd) * sclk));
            previousEnd = end;
        }
    }
    for (long long n : lengths) {
        int id = n < limits_.minWavelength             ? kMsgForcedClockTooShort
                 : !multipleOf(n, limits_.wlIncrement) ? kMsgForcedClockIncrement
                                                       : 0;
        if (id == 0)
            continue;
        Answer a = warn("Wavelength problem", vformat(StringText(id), static_cast<double>(n)),
                        Buttons::OkCancel);
        return a == Answer::Ok ? 1 : 2;
    }
    return 0;
}

int TrainCompiler::fitWavelength() {
    const auto most = kMaxTrainSamples;
    // The clock rises a base at a time: a description's tiny lowest clock must not make that
    // search run for hours, so it stops after kMostClockSteps as it would at the instrument's top.
    const double sclkMax = std::min(limits_.sclkMax, baseSclk * kMostClockSteps);
    if (mode == kSingleSegmentMode) {
        auto count = [&](double clock) { return Nearest(train_.duration * clock); };
        if (baseSclk > sclkMax) {
            // Even at its own clock the train is too fast for the instrument: no copy helps.
            warn(session_.appName.c_str(),
                 vformat(StringText(kMsgClockResolutionShort), sclkMax, sclk), Buttons::Ok);
            return kClockFailed;
        }
        long long n = count(sclk);
        while ((!multipleOf(n, limits_.wlIncrement) || n < limits_.minWavelength) &&
               sclk <= sclkMax) {
            sclk += baseSclk;
            n = count(sclk);
        }
        double needed = 1;
        if (sclk > sclkMax) {
            sclk = baseSclk;
            if (warn(session_.appName.c_str(), StringText(kMsgContinuousOnly), Buttons::YesNo) !=
                Answer::Yes)
                return kDeclined;
            n = count(baseSclk);
            if (n <= most)
                needed = CopiesToFit(n, limits_.wlIncrement, limits_.minWavelength);
        }
        if (n > most || static_cast<double>(n) * needed > static_cast<double>(most))
            return tooLong(train_.duration * sclk * needed);
        copies = static_cast<int>(needed);
        return kCompiled;
    }
    if (mode != kSequencedMode && mode != kSectionPerSegmentMode)
        return kCompiled;
    int withLinks = static_cast<int>(ranges().size());
    for (const auto& s : train_.sections) {
        if (s.localDuration == 0)
            continue;
        double d = static_cast<double>(Nearest(s.localDuration * sclk)) / sclk;
        double minSegment = MinSegment(sclk);
        auto length = [&] { return Nearest(d * sclk); };
        while ((!multipleOf(length(), limits_.wlIncrement) || length() < minSegment) &&
               sclk <= sclkMax) {
            sclk += baseSclk;
            minSegment = MinSegment(sclk);
        }
        if (mode == kSectionPerSegmentMode && length() > most)
            return tooLong(d * sclk);
        if (sclk <= sclkMax)
            continue;
        if (withLinks == 1 && sclk != baseSclk) {
            if (warn(session_.appName.c_str(), StringText(kMsgContinuousOnly), Buttons::YesNo) !=
                Answer::Yes)
                return kDeclined;
            sclk = baseSclk;
            mode = kContinuousMode;
            return kCompiled;
        }
        warn(session_.appName.c_str(), vformat(StringText(kMsgClockResolutionShort), sclkMax, sclk),
             Buttons::Ok);
        return kClockFailed;
    }
    return kCompiled;
}

int TrainCompiler::Compile(const TrainData& train, double requestedSclk) {
    train_ = train;
    copies = 1;
    vppTrain = 2 * std::max(std::fabs(train.levelHigh), std::fabs(train.levelLow));
    if (train.sectionCount == 0)
        return kNoTrain;
    if (!buildLinks()) {
        warn(session_.appName.c_str(), "Pulse Train incomplete.", Buttons::Ok);
        return kIncomplete;
    }
    if (!timesFinite()) {
        warn(session_.appName.c_str(),
             "The pulse train is too long to be built: its times exceed the largest number.",
             Buttons::Ok);
        return kNoTrain;
    }

    const ForcedClock forced = ReadForcedClock(session_.exchangeFile);
    clockForced_ = forced.on;
    const std::optional<std::string>& forcedClock = forced.clock;
    bool automatic = true;
    if (requestedSclk > 0) {
        sclk = requestedSclk;
        automatic = false;
    } else if (clockForced_ && forcedClock) {
        // The Options dialog keeps the clock within the instrument's range; a file may not.
        sclk = LeadingNumber(forcedClock, 0);
        automatic = !CheckedRange(session_, sclk, limits_.sclkMin, limits_.sclkMax,
                                  {session_.exchangeFile, kForcedClockSection, "forceSclk"},
                                  "the clock worked out for the train");
    }
    if (!automatic && clockForced_) {
        int verdict = testForcedClock();
        if (verdict == 2)
            return kClockFailed;
        automatic = verdict == 1;
    }
    if (automatic && !automaticClock())
        return kNoTrain;

    if (sclk > 0 && sclk < limits_.sclkMin)
        sclk = std::ceil(limits_.sclkMin / sclk) * sclk;
    sclk = static_cast<double>(Nearest(std::max(sclk, limits_.sclkMin)));
    baseSclk = sclk;
    return fitWavelength();
}

void TrainCompiler::ConvertToSamples() {
    double k = vppTrain > 0 ? 2 * limits_.vHalf / vppTrain : 0;
    double offset = vppTrain > 0 ? k * vppTrain / 2 - limits_.vHalf : 0;
    for (auto& l : links) {
        if (IsHeader(l))
            continue;
        double begin = static_cast<double>(Nearest(sclk * l[0]));
        double end = static_cast<double>(Nearest(sclk * l[1]));
        double c0 = k * l[2] + offset, c1 = k * l[3] + offset;
        double slope = end > begin ? (c1 - c0) / (end - begin) : 0;
        l = {begin, end, slope, c0 - slope * begin};
    }
    sectionRanges = ranges();
}

double TrainCompiler::MaxSlope() const {
    double m = 0;
    for (const auto& l : links)
        if (!IsHeader(l))
            m = std::max(m, std::fabs(l[2]));
    return m;
}

int TrainCompiler::RunClockLoop(double activeLocalDuration) {
    TrainData train = ReadTrain(session_, channel_);
    double requested = 0;
    for (;;) {
        int result = Compile(train, requested);
        if (result != kCompiled)
            return result;
        ConvertToSamples();
        double slope = MaxSlope();
        if (clockForced_ || slope == 0)
            return result;
        long long f = std::max(1LL, WholeCount(slope * 0.01));
        double perSection = activeLocalDuration * sclk;
        if (perSection > 0)
            f = std::min(f, std::max(1LL, WholeCount(limits_.memorySize / perSection)));
        f = std::min(f, WholeCount(limits_.sclkMax / sclk));
        if (f <= 1)
            return result;
        requested = static_cast<double>(f) * sclk;
    }
}

} // namespace tw
