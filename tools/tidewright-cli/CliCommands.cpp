#include "CliCommands.h"

#include "CliArgs.h"
#include "InstrumentCommands.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "document/FormatRegistry.h"
#include "document/ImportStream.h"
#include "document/WaveFormats.h"
#include "expr/ExprRange.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <limits>

namespace tw::cli {

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Messages of the core as one line each.
std::string Flatten(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
        if (c == ' ' && (line.empty() || line.back() == ' '))
            continue;
        line += c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

int Error(const std::string& text, int code = kFailed) {
    std::cerr << "tidewright-cli: " << text << '\n';
    return code;
}

// Keeps the first message the core shows, so that a failure is reported once, on one line.
struct FirstMessagePrompter : Prompter {
    std::string first;
    Answer ask(std::string_view, std::string_view text, Buttons buttons, Icon) override {
        if (first.empty())
            first = Flatten(text);
        return defaultAnswer(buttons);
    }
};

// No profiles or instrument: the standard composer's 16-bit files, wave operands relative to
// the working folder.
void InstallLaunchState() {
    LaunchState state;
    state.appName = "tidewright-cli";
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    if (!ec)
        state.waveFolder = cwd + "/";
    SetLaunchState(state);
}

ImportContext ContextOf(const Options& o) {
    ImportContext ctx;
    ctx.layout = kCliLayout;
    ctx.vMin = o.lo;
    ctx.vMax = o.hi;
    ctx.stretch = o.stretch;
    ctx.askDim = o.singleValues ? 0 : 1;
    ctx.fullScale = o.fullScale;
    ctx.channel = o.channel;
    ctx.variable = o.variable;
    return ctx;
}

// The format of an input that is there, or nothing after saying why not.
const FileFormat* ReadableFormat(const std::string& path) {
    if (!FileExists(path)) {
        Error("cannot read '" + path + "': no such file");
        return nullptr;
    }
    const FileFormat* format = FileFormatOfPath(path, kCliLayout);
    if (!format || !format->reading.read) {
        Error("cannot tell the format of '" + path + "' from its extension (try --help)");
        return nullptr;
    }
    return format;
}

// Streams the input's points into out, a block at a time.
ImportResult Import(const std::string& path, const FileFormat& format, const Options& o,
                    PointSink& out) {
    ImportSource in(path);
    return StreamWave(in, format.code, ContextOf(o), out);
}

int ReadError(const std::string& path, const FileFormat& format, const ImportResult& r) {
    if (!r.failure)
        return Error("cannot read '" + path + "': " + Flatten(r.failure.error()));
    return Error("cannot read '" + path + "' as " + std::string(format.name) + ": " +
                 Flatten(r.error));
}

std::string WritableExtensions() {
    std::vector<std::string> names;
    for (const FileFormat& format : FileFormatsOf(kCliLayout))
        if (format.writing.write)
            names.push_back("." + std::string(format.extension));
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

// The format of an output: the one --format names, else the one its extension names; or
// nothing after saying why not.
const FileFormat* WritableFormat(const Options& o, const std::string& path) {
    const FileFormat* format = FileFormatOfExtension(kCliLayout, ExtensionOf(path));
    if (!o.format.empty()) {
        format = nullptr;
        for (const FileFormat& f : FileFormatsOf(kCliLayout))
            if (EqualsNoCase(f.name, o.format) && f.writing.write)
                format = &f;
    }
    if (!format || !format->writing.write) {
        Error("cannot write '" + path + "': use " + WritableExtensions());
        return nullptr;
    }
    return format;
}

// Values are exported from the code range lo..hi.
ExportContext ExportContextOf(const Options& o) {
    return ExportContext{kCliLayout, o.lo, o.hi, {}};
}

int Write(const Options& o, const std::string& path, SampleView points) {
    const FileFormat* format = WritableFormat(o, path);
    if (!format)
        return kFailed;
    if (FileResult written = ExportWaveFile(path, format->code, points, ExportContextOf(o));
        !written)
        return Error("cannot write '" + path + "': " + Flatten(written.error()));
    return 0;
}

// Writes the points it is handed in an output format, numbering them on.
class FormatSink : public PointSink {
  public:
    FormatSink(std::ostream& out, const FileFormat& format, ExportContext ctx)
        : out_(out), format_(format), ctx_(std::move(ctx)) {}
    bool take(std::span<const std::int32_t> points) override {
        const bool written = format_.writing.write(out_, points, count_, ctx_);
        count_ += points.size();
        return written;
    }

  private:
    std::ostream& out_;
    const FileFormat& format_;
    ExportContext ctx_;
    std::size_t count_ = 0;
};

// The number of points and their extremes.
struct Extremes : PointSink {
    std::uint64_t count = 0;
    std::int32_t lo = std::numeric_limits<std::int32_t>::max();
    std::int32_t hi = std::numeric_limits<std::int32_t>::min();
    bool take(std::span<const std::int32_t> points) override {
        for (std::int32_t p : points) {
            lo = std::min(lo, p);
            hi = std::max(hi, p);
        }
        count += points.size();
        return true;
    }
};

int Eval(const Options& o) {
    FirstMessagePrompter messages;
    setPrompter(&messages);
    ExprParser parser;
    ExprRange range;
    range.end = o.points - 1;
    range.lo = o.lo;
    range.hi = o.hi;
    range.k = std::trunc(o.hi - o.lo) / (o.hi - o.lo);
    range.scaled = o.scale;
    SetRangeConstants(parser, range);
    const std::string& typed = o.operands[0];
    const std::string formula = ToLower(typed);
    std::vector<std::int16_t> points(static_cast<std::size_t>(o.points)); // the file's width
    bool ok = formula.find_first_not_of(" \t") != std::string::npos;
    if (ok) {
        // A wave operand must cover every point; without one the engine answers its own
        // ceiling of 5000000.
        const long shortest = parser.ShortestWave(formula, parser.per);
        if (shortest < parser.per && shortest < 5000000 && messages.first.empty()) {
            setPrompter(nullptr);
            return Error("a wave in the formula has only " + std::to_string(shortest) +
                         " points, fewer than " + std::to_string(o.points));
        }
        ok = messages.first.empty() && EvaluateOverRange(parser, formula, typed, range, points);
    }
    setPrompter(nullptr);
    if (!ok)
        return Error("cannot evaluate '" + typed + "'" +
                     (messages.first.empty() ? "" : ": " + messages.first));
    return Write(o, o.output, points);
}

// The input streams through into the output: neither is ever held whole.
int Convert(const Options& o) {
    const std::string& input = o.operands[0];
    const std::string& output = o.operands[1];
    const FileFormat* from = ReadableFormat(input);
    const FileFormat* to = from ? WritableFormat(o, output) : nullptr;
    if (!to)
        return kFailed;
    // A format that takes the whole wave at once gets it once it is all read.
    if (to->writing.whole) {
        CollectedPoints points;
        if (ImportResult r = Import(input, *from, o, points); !r.ok)
            return ReadError(input, *from, r);
        return Write(o, output, std::span<const std::int32_t>(points.points));
    }
    ImportResult imported;
    bool outputFailed = false;
    FileResult written = WriteFileAtomically(output, [&](std::ostream& out) {
        FormatSink sink(out, *to, ExportContextOf(o));
        imported = Import(input, *from, o, sink);
        outputFailed = !out;
        return imported.ok;
    });
    // An import that stopped because its output could not be written is the output's failure.
    if (!imported.ok && !imported.error.empty() && !outputFailed)
        return ReadError(input, *from, imported);
    if (!written)
        return Error("cannot write '" + output + "': " + Flatten(written.error()));
    return 0;
}

int Info(const Options& o) {
    const std::string& input = o.operands[0];
    const FileFormat* format = ReadableFormat(input);
    if (!format)
        return kFailed;
    Extremes points;
    if (ImportResult r = Import(input, *format, o, points); !r.ok)
        return ReadError(input, *format, r);
    std::cout << "points: " << points.count << "\nmin: " << points.lo << "\nmax: " << points.hi
              << "\nformat: " << format->name << '\n';
    return 0;
}

} // namespace

int RunCli(std::span<const std::string> args) {
    if (std::optional<int> code = RunInstrumentCommand(args))
        return *code;
    ParseResult parsed = ParseArgs(args);
    if (!parsed.ok)
        return Error(parsed.error, kUsage);
    InstallLaunchState();
    switch (parsed.options.command) {
    case Command::Help:
        std::cout << UsageText();
        return 0;
    case Command::Eval:
        return Eval(parsed.options);
    case Command::Convert:
        return Convert(parsed.options);
    case Command::Info:
        return Info(parsed.options);
    }
    return kUsage;
}

} // namespace tw::cli
