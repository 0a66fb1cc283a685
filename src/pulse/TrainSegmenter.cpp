#include "pulse/TrainSegmenter.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/Prompter.h"
#include "document/WaveFormats.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

void appendSample(std::string& bytes, double value) {
    double v = std::trunc(value);
    auto s = static_cast<int>(std::clamp(v, -32768.0, 32767.0));
    auto u = static_cast<unsigned>(s) & 0xFFFFu;
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
}

std::string repeated(const std::string& block, long long times) {
    std::string out;
    out.reserve(block.size() * static_cast<size_t>(std::max(times, 1LL)));
    for (long long i = 0; i < times; ++i)
        out += block;
    return out;
}

} // namespace

TrainSegmenter::TrainSegmenter(const TrainCompiler& compiled, int mode)
    : mode(mode), minSegment(compiled.MinSegment(compiled.sclk)), compiled_(compiled),
      links_(compiled.links), budget_(kMaxTrainSamples) {}

bool TrainSegmenter::take(long long samples, long long times) {
    if (tooLong || samples < 0 || times < 0 || (samples > 0 && times > budget_ / samples))
        return !(tooLong = true);
    budget_ -= samples * times;
    return true;
}

std::string TrainSegmenter::SegmentPath(const std::string& tmpFolder, int n) {
    return tmpFolder + strprintf("Seg-%d.wav", n);
}

std::string TrainSegmenter::segmentPath(int n) const {
    return SegmentPath(compiled_.session().tmpFolder, n);
}

std::string TrainSegmenter::writeSegment(long long pos, long long len, int link, int times) {
    if (!take(std::max(len, 0LL), std::max(times, 1)))
        return std::string();
    std::string block;
    block.reserve(static_cast<size_t>(std::max(len, 0LL)) * 2);
    int size = static_cast<int>(links_.size());
    int j = link;
    auto advance = [&] {
        int n = j + 1;
        while (n < size && IsHeader(links_[static_cast<size_t>(n)]))
            ++n;
        if (n >= size)
            return false;
        j = n;
        return true;
    };
    for (long long i = 0; i < len; ++i) {
        double p = static_cast<double>(pos + i);
        while (p >= links_[static_cast<size_t>(j)][1] && advance()) {
        }
        const LinkEntry& l = links_[static_cast<size_t>(j)];
        appendSample(block, p * l[2] + l[3]);
    }
    std::string path = segmentPath(nextSegment++);
    WriteFileAtomically(path, times > 1 ? repeated(block, times) : block);
    return path;
}

void TrainSegmenter::WriteStretch(long long pos, long long len, int link, int repeat) {
    int times = mode == kSingleSegmentMode && repeat >= 2 ? repeat : 1;
    std::string path = writeSegment(pos, len, link, times);
    steps.push_back({path, mode == kSectionPerSegmentMode ? strprintf("%d", repeat) : "1"});
    if (mode == kSequencedMode || mode == kContinuousMode)
        memoryUsed += static_cast<double>(len);
}

std::string TrainSegmenter::flatSegment(int code, long long length) {
    for (const auto& f : flatSegments_)
        if (f.code == code && f.length == length)
            return segmentPath(f.segment);
    if (!take(length))
        return std::string();
    int segment = nextSegment++;
    std::string block;
    block.reserve(static_cast<size_t>(length) * 2);
    for (long long i = 0; i < length; ++i)
        appendSample(block, code);
    std::string path = segmentPath(segment);
    WriteFileAtomically(path, block);
    flatSegments_.push_back({segment, code, length});
    return path;
}

void TrainSegmenter::WriteFlatRun(long long n, int code) {
    auto segment = static_cast<long long>(minSegment);
    long long q = n / segment, r = n % segment;
    if (r > 0)
        steps.push_back({flatSegment(code, segment + r), "1"});
    long long times = q - (r > 0 ? 1 : 0);
    if (times > 0)
        steps.push_back({flatSegment(code, segment), strprintf("%lld", times)});
    memoryUsed += static_cast<double>(segment + r);
}

int TrainSegmenter::BuildSequenced() {
    const auto segment = static_cast<long long>(minSegment);
    const int wl = compiled_.limits().wlIncrement;
    long long total = 0;
    for (const auto& range : compiled_.sectionRanges) {
        if (range.first > range.last)
            continue;
        const auto end = static_cast<long long>(links_[static_cast<size_t>(range.last)][1]);
        auto pos = static_cast<long long>(links_[static_cast<size_t>(range.first)][0]);
        size_t firstStep = steps.size();
        int k = range.first;
        while (pos < end && k <= range.last) {
            int j = -1;
            for (int m = k; m <= range.last; ++m) {
                const LinkEntry& l = links_[static_cast<size_t>(m)];
                if (IsHeader(l))
                    break;
                if (l[0] <= static_cast<double>(pos) && static_cast<double>(pos) <= l[1] - 1) {
                    j = m;
                    break;
                }
            }
            if (j < 0)
                break;
            const LinkEntry& l = links_[static_cast<size_t>(j)];
            long long len;
            if (l[2] == 0) {
                auto rest = static_cast<long long>(l[1] - static_cast<double>(pos));
                bool shortTail = end - rest - pos < segment;
                if (shortTail)
                    rest = end - pos;
                if (rest / segment < 2) {
                    len = end - segment - pos < segment ? end - pos : segment;
                    WriteStretch(pos, len, j, -1);
                } else {
                    len = rest - rest % wl - (shortTail ? segment : 0);
                    WriteFlatRun(len, static_cast<int>(std::trunc(l[3])));
                }
            } else {
                int m = j + 1;
                while (m <= range.last && links_[static_cast<size_t>(m)][2] != 0)
                    ++m;
                int before = m - 1;
                if (j == range.last || before == range.last) {
                    len = end - pos;
                } else {
                    len = std::max(static_cast<long long>(links_[static_cast<size_t>(before)][1]) -
                                       pos,
                                   segment);
                    len -= len % wl;
                    if (end - len - pos < segment)
                        len = end - pos;
                }
                WriteStretch(pos, len, j, -1);
            }
            if (len <= 0)
                break;
            pos += len;
            k = j;
        }
        segmentCount = nextSegment - 1;
        if (tooLong)
            return 0;

        size_t sectionSteps = steps.size() - firstStep;
        auto repeat = static_cast<long long>(links_[static_cast<size_t>(range.header)][1]);
        total += static_cast<long long>(sectionSteps) * repeat;
        if (total > compiled_.limits().maxSequStp) {
            steps.clear();
            AppendLog(compiled_.session(),
                      "\n=========" + std::string("Exceeds max sequence steps") +
                          "  Mode of Operation= " + strprintf("%d", mode) + "\n");
            ask(compiled_.prompts(), compiled_.session().appName,
                "Exceeds max sequence steps\nTry in the Optins another Mode of Operation,\nSee "
                "log file",
                Buttons::Ok, Icon::Exclamation);
            return 0;
        }
        for (long long copy = 1; copy < repeat; ++copy)
            for (size_t s = firstStep; s < firstStep + sectionSteps; ++s)
                steps.push_back(steps[s]);
    }
    return 1;
}

int TrainSegmenter::BuildPerSection() {
    const auto& ranges = compiled_.sectionRanges;
    for (const auto& range : ranges) {
        double pos = links_[static_cast<size_t>(range.first)][0];
        double len = links_[static_cast<size_t>(range.last)][1] - pos;
        int repeat = static_cast<int>(links_[static_cast<size_t>(range.header)][1]);
        WriteStretch(static_cast<long long>(pos), static_cast<long long>(len), range.first, repeat);
        memoryUsed += mode == kSingleSegmentMode ? repeat * len : len;
    }
    if (mode == kSectionPerSegmentMode || tooLong) {
        segmentCount = static_cast<int>(ranges.size());
        return 4;
    }
    // One segment for the whole train: the later sections' files join the first.
    std::string first = segmentPath(1);
    std::string content = ReadWholeFile(first).value_or("");
    for (size_t i = 2; i <= steps.size(); ++i) {
        std::string path = segmentPath(static_cast<int>(i));
        content += ReadWholeFile(path).value_or("");
        RemoveFile(path);
    }
    if (steps.size() > 1)
        steps.resize(1);
    if (compiled_.copies > 1) {
        if (!take(static_cast<long long>(content.size() / 2), compiled_.copies - 1))
            return 4;
        content = repeated(content, compiled_.copies);
        memoryUsed *= compiled_.copies;
    }
    WriteFileAtomically(first, content);
    segmentCount = 1;
    return 4;
}

void TrainSegmenter::BuildContinuous() {
    if (compiled_.sectionRanges.empty())
        return;
    const SectionRange& range = compiled_.sectionRanges.front();
    auto n = static_cast<long long>(links_[static_cast<size_t>(range.last)][1]);
    if (n <= 0)
        return;
    const PulseLimits& limits = compiled_.limits();
    const double needed = CopiesToFit(n, limits.wlIncrement, limits.minWavelength);
    // A description's huge increment asks for more copies than any segment holds.
    if (needed * static_cast<double>(n) > static_cast<double>(kMaxTrainSamples)) {
        tooLong = true;
        return;
    }
    const auto copies = static_cast<long long>(needed);
    steps.push_back({writeSegment(0, n, range.first, static_cast<int>(copies)), "1"});
    memoryUsed = static_cast<double>(n * copies);
    segmentCount = 1;
}

bool TrainSegmenter::WriteSequenceTable() const {
    return ExchangeFile::PulseSequence(compiled_.session()).Write(steps);
}

} // namespace tw
