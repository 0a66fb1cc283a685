#include "CliCommands.h"

#include "CliArgs.h"
#include "InstrumentCommands.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "document/FileFacts.h"
#include "document/FormatRegistry.h"
#include "document/ImportStream.h"
#include "document/PointMapping.h"
#include "document/ValueScale.h"
#include "document/WaveFormats.h"
#include "expr/ExprRange.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <variant>

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

// No profiles or instrument: the standard composer's 16-bit files, wave operands relative to
// the working folder; handed to what each command calls.
LaunchState MakeSession() {
    LaunchState state;
    state.appName = "tidewright-cli";
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    if (!ec)
        state.waveFolder = cwd + "/";
    return state;
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

// A warning that does not fail the command.
void Warn(const std::string& path, const std::string& text) {
    std::cerr << "tidewright-cli: " << (path == kStdStream ? "standard input" : path) << ": "
              << text << '\n';
}

void ReportClipped(const std::string& path, std::size_t clipped) {
    if (clipped > 0)
        Warn(path, ClippedMessage(clipped));
}

// Standard input, copied into an unnamed temporary file so that the readers may seek in it and
// nothing is left behind; its name is the file's /proc entry.
class StandardInput {
  public:
    FileResult copy() {
        file_.reset(std::tmpfile());
        if (!file_)
            return FileResult::FromErrno(FileResult::Action::Write, "a temporary file", errno);
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
            if (std::fwrite(buffer, 1, n, file_.get()) != n)
                return FileResult::FromErrno(FileResult::Action::Write, "a temporary file", errno);
        if (std::ferror(stdin))
            return FileResult::FromErrno(FileResult::Action::Read, "standard input", errno);
        if (std::fflush(file_.get()) != 0)
            return FileResult::FromErrno(FileResult::Action::Write, "a temporary file", errno);
        return {};
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fileno(file_.get())); }

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

// The file an input names: itself, or standard input's copy.
struct Input {
    std::string path;
    StandardInput standard;
};

bool OpenInput(const std::string& name, Input& in) {
    in.path = name;
    if (name != kStdStream)
        return true;
    if (FileResult copied = in.standard.copy(); !copied) {
        Error("cannot read standard input: " + Flatten(copied.error()));
        return false;
    }
    in.path = in.standard.path();
    return true;
}

// The format of an input that is there, or nothing after saying why not.
const FileFormat* ReadableFormat(const Options& o, const std::string& path) {
    if (!FileExists(path)) {
        Error("cannot read '" + path + "': no such file");
        return nullptr;
    }
    if (o.from)
        return o.from;
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
    const FileFormat* format =
        o.format ? o.format : FileFormatOfExtension(kCliLayout, ExtensionOf(path));
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

int WriteStandardOutput(const FileFormat& format, std::span<const std::int32_t> points,
                        const ExportContext& ctx) {
    if (!format.writing.write(std::cout, points, 0, ctx) || !std::cout.flush())
        return Error("cannot write standard output: " + std::string(std::strerror(errno)));
    return 0;
}

int Write(const Options& o, const std::string& path, SampleView points) {
    const FileFormat* format = WritableFormat(o, path);
    if (!format)
        return kFailed;
    if (path == kStdStream) {
        std::vector<std::int32_t> all;
        std::visit([&](auto span) { all.assign(span.begin(), span.end()); }, points);
        return WriteStandardOutput(*format, all, ExportContextOf(o));
    }
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

int Eval(const Options& o, const LaunchState& session) {
    ExprParser parser;
    parser.waveFolder = session.waveFolder;
    ExprRange range;
    range.end = o.points - 1;
    range.lo = o.lo;
    range.hi = o.hi;
    range.k = ValueScale().equationFactor(o.lo, o.hi); // the standard composer's codes
    range.scaled = o.scale;
    SetRangeConstants(parser, range);
    const std::string& typed = o.operands[0];
    const std::string formula = ToLower(typed);
    const FileFormat* format = WritableFormat(o, o.output);
    if (!format)
        return kFailed;
    bool ok = formula.find_first_not_of(" \t") != std::string::npos;
    if (ok) {
        // A wave operand must cover every point; without one the engine answers its own
        // ceiling of 5000000.
        const long shortest = parser.ShortestWave(formula, parser.per);
        if (shortest < parser.per && shortest < 5000000)
            return Error("a wave in the formula has only " + std::to_string(shortest) +
                         " points, fewer than " + std::to_string(o.points));
    }
    // The points go to the file a piece at a time (the codes of the 16-bit range); a format
    // that takes the whole wave at once gets them collected, in the file's width.
    std::vector<std::int16_t> whole;
    Result evaluated = Result::Failed();
    bool outputFailed = false;
    FileResult written;
    if (ok && format->writing.whole) {
        evaluated = EvaluateInPieces(parser, formula, typed, range,
                                     [&](std::span<const std::int32_t> codes) {
                                         whole.insert(whole.end(), codes.begin(), codes.end());
                                         return true;
                                     });
    } else if (ok) {
        written = WriteFileAtomically(o.output, [&](std::ostream& out) {
            FormatSink sink(out, *format, ExportContextOf(o));
            evaluated = EvaluateInPieces(parser, formula, typed, range,
                                         [&](std::span<const std::int32_t> codes) {
                                             outputFailed = !sink.take(codes) || !out;
                                             return !outputFailed;
                                         });
            return evaluated.ok();
        });
    }
    // The first message of a failure, on one line.
    const std::string first =
        evaluated.messages().empty() ? "" : Flatten(evaluated.messages().front().text);
    if (!ok || (!evaluated && !outputFailed))
        return Error("cannot evaluate '" + typed + "'" + (first.empty() ? "" : ": " + first));
    if (!written)
        return Error("cannot write '" + o.output + "': " + Flatten(written.error()));
    if (format->writing.whole)
        return Write(o, o.output, whole);
    return 0;
}

// The input streams through into the output: neither is ever held whole.
int Convert(const Options& o) {
    Input in;
    const std::string& name = o.operands[0];
    const std::string& output = o.operands[1];
    if (!OpenInput(name, in))
        return kFailed;
    const FileFormat* from = ReadableFormat(o, in.path);
    const FileFormat* to = from ? WritableFormat(o, output) : nullptr;
    if (!to)
        return kFailed;
    // A format that takes the whole wave at once gets it once it is all read.
    if (to->writing.whole) {
        CollectedPoints points;
        ImportResult r = Import(in.path, *from, o, points);
        if (!r.ok)
            return ReadError(name, *from, r);
        const int exit = Write(o, output, std::span<const std::int32_t>(points.points));
        if (exit == 0)
            ReportClipped(name, r.clipped);
        return exit;
    }
    ImportResult imported;
    bool outputFailed = false;
    auto stream = [&](std::ostream& out) {
        FormatSink sink(out, *to, ExportContextOf(o));
        imported = Import(in.path, *from, o, sink);
        outputFailed = !out;
        return imported.ok;
    };
    FileResult written;
    if (output == kStdStream) {
        stream(std::cout);
        if (!std::cout.flush())
            outputFailed = true;
        if (outputFailed)
            written = FileResult::FromErrno(FileResult::Action::Write, "standard output", errno);
    } else {
        written = WriteFileAtomically(output, stream);
    }
    // An import that stopped because its output could not be written is the output's failure.
    if (!imported.ok && !imported.error.empty() && !outputFailed)
        return ReadError(name, *from, imported);
    if (!written)
        return Error("cannot write '" + written.path() + "': " + Flatten(written.error()));
    ReportClipped(name, imported.clipped);
    return 0;
}

int Info(const Options& o) {
    Input in;
    const std::string& name = o.operands[0];
    if (!OpenInput(name, in))
        return kFailed;
    const FileFormat* format = ReadableFormat(o, in.path);
    if (!format)
        return kFailed;
    PointExtremes points;
    ImportResult r = Import(in.path, *format, o, points);
    if (!r.ok)
        return ReadError(name, *format, r);
    const FileFacts facts = DescribeWaveFile(in.path, *format);
    std::cout << "points: " << points.count << "\nmin: " << points.lo << "\nmax: " << points.hi
              << "\nformat: " << format->name << "\nencoding: " << facts.encoding << '\n';
    if (!facts.variables.empty()) {
        std::cout << "variables:";
        const char* between = " ";
        for (const MatVariable& v : facts.variables) {
            std::cout << between << v.name << ' ';
            between = ", ";
            for (std::size_t i = 0; i < v.dims.size(); ++i)
                std::cout << (i ? "x" : "") << v.dims[i];
            if (v.dims.empty())
                std::cout << '?';
        }
        std::cout << '\n';
    }
    ReportClipped(name, r.clipped);
    return 0;
}

} // namespace

int RunCli(std::span<const std::string> args) {
    if (std::optional<int> code = RunInstrumentCommand(args))
        return *code;
    ParseResult parsed = ParseArgs(args);
    if (!parsed.ok)
        return Error(parsed.error, kUsage);
    const LaunchState session = MakeSession();
    switch (parsed.options.command) {
    case Command::Help:
        std::cout << UsageText();
        return 0;
    case Command::Version:
        std::cout << "tidewright-cli " TW_VERSION "\n";
        return 0;
    case Command::Eval:
        return Eval(parsed.options, session);
    case Command::Convert:
        return Convert(parsed.options);
    case Command::Info:
        return Info(parsed.options);
    }
    return kUsage;
}

} // namespace tw::cli
