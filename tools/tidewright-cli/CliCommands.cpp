#include "CliCommands.h"

#include "CliArgs.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/Prompter.h"
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"
#include "expr/ExprRange.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>

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

struct Imported {
    bool ok = false;
    const FileFormat* format = nullptr;
    std::vector<std::int32_t> points;
};

Imported Import(const std::string& path, const Options& o) {
    Imported in;
    if (!FileExists(path)) {
        Error("cannot read '" + path + "': no such file");
        return in;
    }
    in.format = FileFormatOfPath(path, kCliLayout);
    if (!in.format || !in.format->reading.read) {
        Error("cannot tell the format of '" + path + "' from its extension (try --help)");
        return in;
    }
    ImportContext ctx;
    ctx.layout = kCliLayout;
    ctx.vMin = o.lo;
    ctx.vMax = o.hi;
    ctx.stretch = o.stretch;
    ctx.askDim = o.singleValues ? 0 : 1;
    ImportResult r = ImportWaveFile(path, in.format->code, ctx);
    if (!r.failure) {
        Error("cannot read '" + path + "': " + Flatten(r.failure.error()));
        return in;
    }
    if (!r.ok) {
        Error("cannot read '" + path + "' as " + std::string(in.format->name) + ": " +
              Flatten(r.error));
        return in;
    }
    in.ok = true;
    in.points = std::move(r.points);
    return in;
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

int Write(const std::string& path, std::span<const std::int32_t> points) {
    const FileFormat* format = FileFormatOfExtension(kCliLayout, ExtensionOf(path));
    if (!format || !format->writing.write)
        return Error("cannot write '" + path + "': use " + WritableExtensions());
    if (FileResult written = ExportWaveFile(path, format->code, points, ExportContext{kCliLayout});
        !written)
        return Error("cannot write '" + path + "': " + Flatten(written.error()));
    return 0;
}

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
    std::vector<std::int32_t> points(static_cast<std::size_t>(o.points));
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
    return Write(o.output, points);
}

int Convert(const Options& o) {
    Imported in = Import(o.operands[0], o);
    return in.ok ? Write(o.operands[1], in.points) : kFailed;
}

int Info(const Options& o) {
    Imported in = Import(o.operands[0], o);
    if (!in.ok)
        return kFailed;
    auto [lo, hi] = std::minmax_element(in.points.begin(), in.points.end());
    std::cout << "points: " << in.points.size() << "\nmin: " << *lo << "\nmax: " << *hi
              << "\nformat: " << in.format->name << '\n';
    return 0;
}

} // namespace

int RunCli(std::span<const std::string> args) {
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
