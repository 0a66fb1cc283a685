#pragma once
#include "document/FormatRegistry.h"
#include "document/WaveFormats.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw::cli {

// The files the tool reads and writes are the standard composer's.
inline constexpr PointLayout kCliLayout = PointLayout::Int16;

enum class Command { Help, Version, Eval, Convert, Info };

// The file name that stands for standard input or output.
inline constexpr std::string_view kStdStream = "-";

struct Options {
    Command command = Command::Help;
    std::vector<std::string> operands; // the command's positional arguments
    std::string output;                // eval's -o
    long points = 1000;
    double lo = -8192, hi = 8191;       // eval's levels; the stretch target of column imports
    bool scale = false;                 // eval: stretch the values onto lo..hi
    bool stretch = true;                // imports: stretch column files onto lo..hi
    bool singleValues = false;          // imports: column files hold one value per number
    bool fullScale = false;             // imports: column values are fractions of full scale
    int channel = 0;                    // imports: the channel of a multi-channel WAV, 0-based
    std::string variable;               // imports: the variable of a MATLAB file; empty: the first
    const FileFormat* format = nullptr; // eval, convert: OUT's format by --format; else by name
    const FileFormat* from = nullptr;   // convert, info: IN's format by --from; else by name
};

struct ParseResult {
    bool ok = false;
    Options options;
    std::string error; // one line, without the program prefix
};

// args excludes the program name.
ParseResult ParseArgs(std::span<const std::string> args);

std::string_view UsageText();

// The row a --format or --from value names: a format's name or an extension (any case, with or
// without its dot) of the rows that write (or read); nullptr when none.
const FileFormat* FormatNamed(std::string_view name, bool writing);

} // namespace tw::cli
