#pragma once
#include "document/ImportStream.h"
#include "document/WaveFormats.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A variable of a MATLAB file: its name and its dimensions (empty when it has more than
// kMatMostDims).
struct MatVariable {
    std::string name;
    std::vector<std::uint64_t> dims;
};
constexpr std::size_t kMatMostDims = 8;

// The variables of a MATLAB file (versions 5 and 7.3), in file order; empty when the library
// cannot read it.
std::vector<MatVariable> MatVariableShapes(std::string_view bytes);
std::vector<MatVariable> MatVariableShapesOfFile(const std::string& path);
// Their names alone.
std::vector<std::string> MatVariables(std::string_view bytes);
std::vector<std::string> MatVariablesOfFile(const std::string& path);

// The variable ctx.variable (empty: the first) when it is a real numeric vector, its values
// taken as the column import takes its values; complex values, matrices and other classes are
// refused with why. A PointReader: the library reads it in a child process that hands the points
// back a block at a time.
bool ReadMatPoints(ImportSource& in, const ImportContext& ctx, PointSink& out);
// The same of bytes in memory.
ImportResult ImportMat(std::string_view bytes, const ImportContext& ctx);
// A version 5 file of one int16 column vector named after ctx.name.
bool WriteMat(std::ostream& out, std::span<const std::int32_t> points, const ExportContext& ctx);

// A MATLAB name made of a file's name: letters, digits and underscores, starting with a letter,
// at most 63 characters.
std::string MatVariableName(std::string_view stem);

} // namespace tw
