#include "CliArgs.h"

#include "document/FormatRegistry.h"

#include <charconv>
#include <cmath>

namespace tw::cli {

namespace {

constexpr std::string_view kCommands =
    "usage: tidewright-cli COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  eval FORMULA -o OUT [--points N] [--range LO:HI] [--scale] [--format NAME]\n"
    "      evaluate FORMULA of the point number p over N points (default 1000) and write them\n"
    "      to OUT; amp and per come from the level range (default -8192:8191); --scale\n"
    "      stretches the values onto the range\n"
    "  convert IN OUT [IMPORT OPTIONS] [--format NAME]\n"
    "      read IN in the format its name gives and write OUT in the format of its extension\n"
    "      (or the one --format names, such as \"16-bit PCM WAV\" or asc)\n"
    "  info FILE [IMPORT OPTIONS]\n"
    "      print the number of points, the lowest and highest point, the format and the\n"
    "      encoding of FILE (a WAV's samples, channels and rate; a MATLAB file's variables)\n"
    "  import options: --range LO:HI, --no-stretch, --single, --full-scale (column values\n"
    "      are fractions of full scale), --channel N (of a WAV, from 1), --variable NAME\n"
    "      (of a MATLAB file; default the first), --from NAME (IN's format by name)\n"
    "  - as IN or FILE reads standard input (with --from), as OUT writes standard output\n"
    "      (with --format); points clipped to the range are counted on standard error\n"
    "  send RESOURCE FILE [--segment N] [--channel N] [--instrument MODEL]\n"
    "  query RESOURCE TEXT\n"
    "      put native 16-bit points onto an instrument, or send it a command or query\n"
    "      (RESOURCE: tcp://HOST[:PORT] or usbtmc:///dev/usbtmcN; see send --help)\n"
    "  help, --help, -h\n"
    "      show this text\n"
    "  --version\n"
    "      show the program's version\n";

// ".wav" of the filter "Binary   (*.wav)|*.wav".
std::string PatternOf(const FileFormat& format) {
    std::string_view pattern = format.filter.substr(format.filter.find('|') + 1);
    if (pattern.starts_with('*'))
        pattern.remove_prefix(1);
    return std::string(pattern);
}

std::string MakeUsage() {
    std::string usage(kCommands);
    usage += "\nfiles (r: read, w: write):\n";
    std::string columns;
    for (const FileFormat& format : FileFormatsOf(kCliLayout)) {
        const std::string pattern = PatternOf(format);
        usage += "  " + pattern + std::string(pattern.size() < 7 ? 7 - pattern.size() : 1, ' ');
        usage += format.reading.read ? "r" : " ";
        usage += format.writing.write ? "w  " : "   ";
        usage += format.name;
        if (format.reading.open == OpenRole::Native && format.code == kNativeCode)
            usage += " (a WAV file other than 16-bit mono is read as audio)";
        usage += "\n";
        if (format.reading.asksDimension)
            columns += (columns.empty() ? "" : ", ") + pattern;
    }
    usage += "column files (" + columns +
             ") hold time/value pairs (--single: one value per number)\n"
             "and are stretched onto the range unless --no-stretch is given\n";
    return usage;
}

bool ParseDouble(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool ParseRange(std::string_view text, double& lo, double& hi) {
    // The separator is the first ':' after the first character, so a leading '-' stays a sign.
    const auto colon = text.find(':', 1);
    if (colon == std::string_view::npos)
        return false;
    return ParseDouble(text.substr(0, colon), lo) && ParseDouble(text.substr(colon + 1), hi) &&
           lo < hi;
}

// eval holds its points in 16 bits for the formats written whole (it streams the others).
std::size_t MostEvalPoints() {
    return MemoryPointLimit(sizeof(std::int16_t));
}

bool ParsePoints(std::string_view text, long& points) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), points);
    return ec == std::errc() && end == text.data() + text.size() && points >= 1 &&
           static_cast<unsigned long>(points) <= MostEvalPoints();
}

ParseResult Fail(std::string error) {
    return {false, {}, std::move(error)};
}

std::string FormatNames(bool writing) {
    std::string names, extensions;
    for (const FileFormat& f : FileFormatsOf(kCliLayout)) {
        if (!(writing ? f.writing.write != nullptr : f.reading.read != nullptr))
            continue;
        names += (names.empty() ? "\"" : ", \"") + std::string(f.name) + "\"";
        if (extensions.find(" " + std::string(f.extension) + ",") == std::string::npos)
            extensions += " " + std::string(f.extension) + ",";
    }
    extensions.pop_back();
    return names + " or an extension:" + extensions;
}

} // namespace

const FileFormat* FormatNamed(std::string_view name, bool writing) {
    if (name.starts_with('.'))
        name.remove_prefix(1);
    for (const FileFormat& f : FileFormatsOf(kCliLayout))
        if ((writing ? f.writing.write != nullptr : f.reading.read != nullptr) &&
            (EqualsNoCase(f.name, name) || EqualsNoCase(f.extension, name)))
            return &f;
    return nullptr;
}

std::string_view UsageText() {
    static const std::string usage = MakeUsage();
    return usage;
}

ParseResult ParseArgs(std::span<const std::string> args) {
    ParseResult result{true, {}, {}};
    Options& o = result.options;
    if (args.empty())
        return Fail("no command given (try --help)");
    const std::string& name = args[0];
    if (name == "help" || name == "--help" || name == "-h")
        return result;
    if (name == "--version") {
        o.command = Command::Version;
        return result;
    }
    if (name == "eval")
        o.command = Command::Eval;
    else if (name == "convert")
        o.command = Command::Convert;
    else if (name == "info")
        o.command = Command::Info;
    else
        return Fail("unknown command '" + name + "' (try --help)");
    const bool eval = o.command == Command::Eval;

    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (a == "--help" || a == "-h") {
            o.command = Command::Help;
            return result;
        }
        if (a == "--range") {
            const std::string* v = value();
            if (!v || !ParseRange(*v, o.lo, o.hi))
                return Fail("--range needs LO:HI with LO below HI");
        } else if (eval && a == "--points") {
            const std::string* v = value();
            if (!v || !ParsePoints(*v, o.points))
                return Fail("--points needs a whole number from 1 to " +
                            std::to_string(MostEvalPoints()) + " (what the memory holds)");
        } else if (eval && a == "-o") {
            const std::string* v = value();
            if (!v || v->empty())
                return Fail("-o needs a file name");
            o.output = *v;
        } else if (eval && a == "--scale") {
            o.scale = true;
        } else if (!eval && a == "--no-stretch") {
            o.stretch = false;
        } else if (!eval && a == "--single") {
            o.singleValues = true;
        } else if (!eval && a == "--full-scale") {
            o.fullScale = true;
        } else if (!eval && a == "--channel") {
            const std::string* v = value();
            long channel = 0;
            if (!v || !ParsePoints(*v, channel) || channel > 1024)
                return Fail("--channel needs a channel number from 1");
            o.channel = static_cast<int>(channel - 1);
        } else if (!eval && a == "--variable") {
            const std::string* v = value();
            if (!v || v->empty())
                return Fail("--variable needs a name");
            o.variable = *v;
        } else if ((a == "--format" && o.command != Command::Info) || (a == "--from" && !eval)) {
            const bool writing = a == "--format";
            const std::string* v = value();
            const FileFormat* f = v ? FormatNamed(*v, writing) : nullptr;
            if (!f)
                return Fail(a + (v ? " '" + *v + "' is no format " : " needs a format ") +
                            (writing ? "written" : "read") + " here: use " + FormatNames(writing));
            (writing ? o.format : o.from) = f;
        } else if (a.size() > 1 && a[0] == '-' && !(eval && o.operands.empty())) {
            // A formula may start with '-', so only eval's first operand is taken as it stands.
            return Fail("unknown option '" + a + "' for " + name + " (try --help)");
        } else {
            o.operands.push_back(a);
        }
    }

    const std::size_t wanted = o.command == Command::Convert ? 2 : 1;
    if (o.operands.size() != wanted)
        return Fail(name + " takes " +
                    (wanted == 2 ? "IN and OUT"
                     : eval      ? "one FORMULA"
                                 : "one FILE") +
                    " (try --help)");
    if (eval && o.output.empty())
        return Fail("eval needs -o OUT");
    const std::string& in = o.operands[0];
    const std::string& out = eval ? o.output : o.operands.back();
    if (!eval && in == kStdStream && !o.from)
        return Fail("standard input needs --from NAME (try --help)");
    if (o.command != Command::Info && out == kStdStream && !o.format)
        return Fail("standard output needs --format NAME (try --help)");
    return result;
}

} // namespace tw::cli
