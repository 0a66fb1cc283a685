#include "SimInstrument.h"

#include "ScpiHeader.h"

#include "app/FileUtil.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <ostream>

namespace tw::sim {

namespace {

constexpr std::size_t kMostErrors = 32;
// The expanded sequence written to the .npy file is bounded like a segment of the largest sample
// instrument.
constexpr long kMostOutputPoints = 1L << 28;

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> Arguments(std::string_view text) {
    std::vector<std::string> args;
    if (Trim(text).empty())
        return args;
    for (;;) {
        const auto comma = text.find(',');
        args.push_back(Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            return args;
        text.remove_prefix(comma + 1);
    }
}

bool Whole(const std::string& text, long& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool Real(const std::string& text, double& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool OnOff(const std::string& text, bool& value) {
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "ON" || upper == "1")
        value = true;
    else if (upper == "OFF" || upper == "0")
        value = false;
    else
        return false;
    return true;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

SimInstrument::SimInstrument(SimLimits limits, std::string npyPath)
    : limits_(std::move(limits)), npyPath_(std::move(npyPath)) {}

bool SimInstrument::TakesBlock(std::string_view header) {
    const std::string h = CanonicalHeader(header);
    return h == "TRAC:DATA" || h == "FM:DATA";
}

void SimInstrument::queue(int code, std::string text) {
    if (errors_.size() >= kMostErrors) {
        errors_.back() = {kQueueOverflow, "Queue overflow"};
        return;
    }
    errors_.emplace_back(code, std::move(text));
}

void SimInstrument::reset() {
    for (Channel& c : channels_)
        c = Channel{};
    active_ = 0;
}

long SimInstrument::memoryUsed(const Channel& c) const {
    long used = 0;
    for (const auto& [number, segment] : c.segments)
        used += static_cast<long>(segment.points->size() / 2);
    return used;
}

std::optional<Answer> SimInstrument::execute(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);
    const auto blank = text.find_first_of(" \t");
    const std::string header = CanonicalHeader(text.substr(0, blank));
    const std::vector<std::string> args =
        Arguments(blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1));
    if (header.ends_with('?'))
        return query(header, args);
    command(header, args);
    return std::nullopt;
}

std::optional<Answer> SimInstrument::query(const std::string& h,
                                           const std::vector<std::string>& args) {
    Channel& c = channel();
    auto line = [](std::string text) { return Answer{std::move(text), nullptr}; };
    if (h == "*IDN?")
        return line("Tidewell," + limits_.model + ",SIM-0001,4.3");
    if (h == "*OPC?")
        return line("1");
    if (h == "SYST:ERR?") {
        if (errors_.empty())
            return line("0,\"No error\"");
        auto [code, text] = errors_.front();
        errors_.pop_front();
        return line(std::to_string(code) + ",\"" + text + "\"");
    }
    if (h == "INST?")
        return line(std::to_string(active_ + 1));
    if (h == "TRAC:SEL?")
        return line(std::to_string(c.selected));
    if (h == "TRAC:TYPE?")
        return line(c.traceType);
    if (h == "TRAC:DEF?") {
        long n = 0;
        auto s = args.empty() || !Whole(args[0], n) ? c.segments.end() : c.segments.find(n);
        return line(s == c.segments.end() ? "0" : std::to_string(s->second.points->size() / 2));
    }
    if (h == "TRAC:CAT?") {
        std::string text;
        for (const auto& [n, s] : c.segments)
            text += (text.empty() ? "" : ",") + std::to_string(n) + "," +
                    std::to_string(s.points->size() / 2);
        return line(text.empty() ? "0,0" : text);
    }
    if (h == "TRAC:DATA?" || h == "FM:DATA?") {
        std::shared_ptr<const Bytes> data;
        if (h == "FM:DATA?")
            data = c.fmPoints;
        else if (auto s = c.segments.find(c.selected); s != c.segments.end())
            data = s->second.points;
        if (!data) {
            queue(kSettingsConflict, "Settings conflict;nothing stored to read back");
            data = std::make_shared<Bytes>();
        }
        return Answer{{}, data};
    }
    if (h == "SEQ:CAT?") {
        std::string text;
        for (const Step& s : c.sequence)
            text += (text.empty() ? "" : ",") + std::to_string(s.segment) + "," +
                    std::to_string(s.repeat);
        return line(text.empty() ? "0,0" : text);
    }
    if (h == "FREQ:RAST?")
        return line(Number(c.clock));
    if (h == "VOLT?")
        return line(Number(c.amplitude));
    if (h == "VOLT:OFFS?")
        return line(Number(c.offset));
    if (h == "FUNC:MODE?")
        return line(c.mode);
    if (h == "OUTP?")
        return line(c.output ? "1" : "0");
    if (h == "INIT:CONT?")
        return line(c.continuous ? "1" : "0");
    if (h == "FM:DEV?")
        return line(Number(c.fmDeviation));
    if (h == "FM:SEGM:DEF?") {
        long n = 0;
        auto s = args.empty() || !Whole(args[0], n) ? c.fmSegments.end() : c.fmSegments.find(n);
        return line(s == c.fmSegments.end() ? "0" : std::to_string(s->second));
    }
    queue(kUndefinedHeader, "Undefined header;" + h);
    return line("");
}

void SimInstrument::command(const std::string& h, const std::vector<std::string>& args) {
    Channel& c = channel();
    const auto count = [&](std::size_t wanted) {
        if (args.size() >= wanted)
            return true;
        queue(kMissingParameter, "Missing parameter;" + h);
        return false;
    };
    const auto inRange = [&](double v, double low, double high, const std::string& what) {
        if (v >= low && v <= high)
            return true;
        queue(kOutOfRange, "Data out of range;" + what + " " + Number(v) + " is outside " +
                               Number(low) + " to " + Number(high));
        return false;
    };
    const auto whole = [&](const std::string& text, long& v) {
        if (Whole(text, v))
            return true;
        queue(kIllegalValue, "Illegal parameter value;" + h + " " + text);
        return false;
    };
    const auto real = [&](const std::string& text, double& v) {
        if (Real(text, v))
            return true;
        queue(kIllegalValue, "Illegal parameter value;" + h + " " + text);
        return false;
    };
    long n = 0, m = 0, r = 0;
    double v = 0;
    bool on = false;
    if (h == "*RST")
        reset();
    else if (h == "*CLS")
        errors_.clear();
    else if (h == "*OPC" || h == "*WAI")
        return;
    else if (h == "INST") {
        if (count(1) && whole(args[0], n) && inRange(n, 1, kChannels, "channel"))
            active_ = static_cast<int>(n - 1);
    } else if (h == "TRAC:DEF") {
        if (!count(2) || !whole(args[0], n) || !whole(args[1], m) ||
            !inRange(n, limits_.segmentMin, limits_.segmentMax, "segment") ||
            !inRange(m, limits_.lengthMin, limits_.lengthMax, "segment length"))
            return;
        if (m % limits_.granularity != 0)
            return queue(kIllegalValue, "Illegal parameter value;segment length " +
                                            std::to_string(m) + " is not a multiple of " +
                                            std::to_string(limits_.granularity));
        auto old = c.segments.find(n);
        const long others =
            memoryUsed(c) - (old == c.segments.end() ? 0 : long(old->second.points->size() / 2));
        if (others + m > limits_.memory)
            return queue(kOutOfMemory, "Out of memory;" + std::to_string(others + m) +
                                           " points would exceed " +
                                           std::to_string(limits_.memory));
        const auto bytes = static_cast<std::size_t>(m) * 2;
        // Defined again at its length, a segment keeps its memory, as an instrument's does.
        if (old != c.segments.end() && old->second.points->size() == bytes &&
            old->second.points.use_count() == 1) {
            old->second.filled = false;
            return;
        }
        try {
            if (old != c.segments.end())
                old->second.points.reset();
            c.segments[n] = {std::make_shared<Bytes>(bytes), false};
        } catch (const std::bad_alloc&) {
            c.segments.erase(n);
            queue(kOutOfMemory, "Out of memory;the simulator could not hold the segment");
        }
    } else if (h == "TRAC:SEL") {
        if (count(1) && whole(args[0], n) &&
            inRange(n, limits_.segmentMin, limits_.segmentMax, "segment"))
            c.selected = n;
    } else if (h == "TRAC:DEL") {
        if (count(1) && whole(args[0], n) && !c.segments.erase(n))
            queue(kSettingsConflict, "Settings conflict;segment " + args[0] + " is not defined");
    } else if (h == "TRAC:DEL:ALL") {
        c.segments.clear();
        c.sequence.clear();
    } else if (h == "TRAC:TYPE") {
        if (count(1))
            c.traceType = Upper(args[0]);
    } else if (h == "SEQ:DEF") {
        if (!count(3) || !whole(args[0], n) || !whole(args[1], m) || !whole(args[2], r) ||
            !inRange(n, 1, std::min<double>(limits_.maxSteps, c.sequence.size() + 1.0), "step") ||
            !inRange(r, 1, limits_.maxLoops, "repeat count"))
            return;
        if (!c.segments.count(m))
            return queue(kSettingsConflict, "Settings conflict;step " + args[0] +
                                                " plays segment " + args[1] +
                                                ", which is not defined");
        if (static_cast<std::size_t>(n) > c.sequence.size())
            c.sequence.push_back({m, r});
        else
            c.sequence[n - 1] = {m, r};
    } else if (h == "SEQ:DEL:ALL") {
        c.sequence.clear();
    } else if (h == "FREQ:RAST") {
        if (count(1) && real(args[0], v) &&
            inRange(v, limits_.clockMin, limits_.clockMax, "sample clock"))
            c.clock = v;
    } else if (h == "VOLT") {
        if (count(1) && real(args[0], v) &&
            inRange(v, limits_.amplitudeMin, limits_.amplitudeMax, "amplitude"))
            c.amplitude = v;
    } else if (h == "VOLT:OFFS") {
        if (count(1) && real(args[0], v) &&
            inRange(v, -limits_.amplitudeMax / 2, limits_.amplitudeMax / 2, "offset"))
            c.offset = v;
    } else if (h == "FUNC:MODE") {
        if (!count(1))
            return;
        const std::string mode = Upper(args[0]);
        if (mode != "FIX" && mode != "USER" && mode != "SEQ" && mode != "MOD")
            return queue(kIllegalValue, "Illegal parameter value;function mode " + args[0]);
        c.mode = mode;
    } else if (h == "OUTP" || h == "INIT:CONT") {
        if (!count(1))
            return;
        if (!OnOff(args[0], on))
            return queue(kIllegalValue, "Illegal parameter value;" + h + " " + args[0]);
        (h == "OUTP" ? c.output : c.continuous) = on;
        if (h == "OUTP" && on)
            writeOutput();
    } else if (h == "FM:DEV") {
        if (count(1) && real(args[0], v) && inRange(v, 0, limits_.clockMax, "deviation"))
            c.fmDeviation = v;
    } else if (h == "FM:SEGM:DEF") {
        if (count(2) && whole(args[0], n) && whole(args[1], m) &&
            inRange(m, 1, limits_.fmPointsMax, "FM segment length"))
            c.fmSegments[n] = m;
    } else {
        queue(kUndefinedHeader, "Undefined header;" + h);
    }
}

BlockTarget SimInstrument::beginBlock(std::string_view header, std::uint64_t bytes) {
    Channel& c = channel();
    if (CanonicalHeader(header) == "FM:DATA") {
        if (bytes > static_cast<std::uint64_t>(limits_.fmPointsMax) * 6) {
            queue(kOutOfRange,
                  "Data out of range;an FM block of " + std::to_string(bytes) + " bytes");
            return {};
        }
        c.fmPoints = std::make_shared<Bytes>(bytes);
        return {c.fmPoints, c.fmPoints->data()};
    }
    auto s = c.segments.find(c.selected);
    if (s == c.segments.end()) {
        queue(kSettingsConflict,
              "Settings conflict;segment " + std::to_string(c.selected) + " is not defined");
        return {};
    }
    if (bytes != s->second.points->size()) {
        queue(kInvalidBlock, "Invalid block data;a block of " + std::to_string(bytes) +
                                 " bytes for segment " + std::to_string(c.selected) + " of " +
                                 std::to_string(s->second.points->size()) + " bytes");
        return {};
    }
    s->second.filled = true;
    return {s->second.points, s->second.points->data()};
}

// "What the output would be": the selected segment, or in sequence mode the steps expanded, as
// int16 codes in a .npy file.
void SimInstrument::writeOutput() {
    if (npyPath_.empty())
        return;
    const Channel& c = channel();
    std::vector<std::pair<std::shared_ptr<const Bytes>, long>> parts;
    long points = 0;
    if (c.mode == "SEQ" && !c.sequence.empty()) {
        for (const Step& step : c.sequence) {
            auto s = c.segments.find(step.segment);
            if (s == c.segments.end())
                continue;
            parts.emplace_back(s->second.points, step.repeat);
            points += static_cast<long>(s->second.points->size() / 2) * step.repeat;
            if (points > kMostOutputPoints)
                return queue(kOutOfMemory, "Out of memory;the sequence expands to more than " +
                                               std::to_string(kMostOutputPoints) + " points");
        }
    } else if (auto s = c.segments.find(c.selected); s != c.segments.end()) {
        parts.emplace_back(s->second.points, 1);
        points = static_cast<long>(s->second.points->size() / 2);
    }
    std::string header =
        "{'descr': '<i2', 'fortran_order': False, 'shape': (" + std::to_string(points) + ",), }";
    header.append(63 - (10 + header.size()) % 64, ' ');
    header += '\n';
    const std::uint16_t headerSize = static_cast<std::uint16_t>(header.size());
    FileResult written = WriteFileAtomically(npyPath_, [&](std::ostream& out) {
        out.write("\x93NUMPY\x01\x00", 8);
        const char size[2] = {static_cast<char>(headerSize & 0xff),
                              static_cast<char>(headerSize >> 8)};
        out.write(size, 2);
        out << header;
        for (const auto& [bytes, repeat] : parts)
            for (long k = 0; k < repeat; ++k)
                out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        return static_cast<bool>(out);
    });
    if (!written)
        queue(kSettingsConflict,
              "Settings conflict;cannot write " + npyPath_ + ": " + written.error());
}

} // namespace tw::sim
