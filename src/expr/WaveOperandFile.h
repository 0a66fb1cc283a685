#pragma once
#include "expr/ExprOperands.h"

#include <optional>
#include <string>

namespace tw {

// The path of an existing regular file; when the exact name is missing, a file of its folder
// whose name differs only in letter case (the editor lower-cases formulas).
std::optional<std::string> FindWaveOperandFile(const std::string& path);

// Reads a native waveform file as the engine sees it: 16-bit little-endian words from the first
// byte, an odd last byte left out.
bool ReadWaveOperand(const std::string& path, WaveOperand& wave);

} // namespace tw
