#include "InstrumentCommands.h"

#include "instrument/InstrumentFolder.h"
#include "instrument/InstrumentSession.h"

#include <charconv>
#include <fstream>
#include <iostream>

namespace tw::cli {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Say(const std::string& text, int code) {
    std::cerr << "tidewright-cli: " << text << '\n';
    return code;
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// Native files are headerless; a RIFF file would send its header as points.
bool IsRiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && std::string_view(magic, 4) == "RIFF";
}

int Report(const Outcome& outcome) {
    if (outcome.ok())
        return 0;
    std::cerr << "tidewright-cli: " << outcome.message() << '\n';
    return kFailed;
}

int Send(std::span<const std::string> args) {
    std::vector<std::string> operands;
    int segment = 1, channel = 0;
    std::string model;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--segment") {
            if (!hasValue || !ParseNumber(args[++i], 1, 1 << 30, segment))
                return Say("--segment needs a segment number from 1", kUsage);
        } else if (a == "--channel") {
            if (!hasValue || !ParseNumber(args[++i], 1, 64, channel))
                return Say("--channel needs a channel number from 1", kUsage);
        } else if (a == "--instrument") {
            if (!hasValue || args[i + 1].empty())
                return Say("--instrument needs a model such as TW2014", kUsage);
            model = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return Say("unknown option '" + a + "' for send (try --help)", kUsage);
        } else {
            operands.push_back(a);
        }
    }
    if (operands.size() != 2)
        return Say("send takes RESOURCE and FILE (try --help)", kUsage);
    const std::string& file = operands[1];
    if (IsRiff(file))
        return Say(file + " is a RIFF WAV file; send takes native 16-bit points (convert it "
                          "with tidewright-cli convert first)",
                   kFailed);
    if (!ParseResource(operands[0]).resource)
        return Say(ParseResource(operands[0]).error, kUsage);
    SessionOpen open = OpenInstrumentSession(operands[0], DefaultInstrumentFolder(), model);
    if (!open.session)
        return Say(open.error, kFailed);
    return Report(open.session->sendWave(BlockSource::Files({file}), segment, channel));
}

int Query(std::span<const std::string> args) {
    if (args.size() != 3)
        return Say("query takes RESOURCE and TEXT (try --help)", kUsage);
    if (!ParseResource(args[1]).resource)
        return Say(ParseResource(args[1]).error, kUsage);
    SessionOpen open = OpenInstrumentSession(args[1], DefaultInstrumentFolder(), "", {}, false);
    if (!open.session)
        return Say(open.error, kFailed);
    const std::string& text = args[2];
    if (!text.ends_with('?'))
        return Report(open.session->write(text));
    std::string answer;
    Outcome outcome = open.session->query(text, answer);
    if (outcome.failure.empty() && !outcome.cancelled)
        std::cout << answer << '\n';
    return Report(outcome);
}

} // namespace

std::string_view InstrumentUsageText() {
    return "\ninstruments (RESOURCE: tcp://HOST[:PORT], port 5025 by default,\n"
           "vxi11://HOST[:PORT][/DEVICE], the port from the host's portmapper unless given, or\n"
           "usbtmc:///dev/usbtmcN):\n"
           "  send RESOURCE FILE [--segment N] [--channel N] [--instrument MODEL]\n"
           "      send the native 16-bit points of FILE into segment N (default 1) of channel N\n"
           "      (default: the one selected), by the profile of MODEL (default: the one whose\n"
           "      identity the instrument's *IDN? answer begins with)\n"
           "  query RESOURCE TEXT\n"
           "      send TEXT; print the answer when it is a query (ends in '?')\n"
           "  exit codes: 0 done without instrument errors, 1 instrument or transfer error,\n"
           "      2 bad usage\n";
}

std::optional<int> RunInstrumentCommand(std::span<const std::string> args) {
    if (args.empty() || (args[0] != "send" && args[0] != "query"))
        return std::nullopt;
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::cout << InstrumentUsageText();
            return 0;
        }
    return args[0] == "send" ? Send(args) : Query(args);
}

} // namespace tw::cli
