#pragma once
#include "generators/DocGeneratorTarget.h"

class QWidget;

namespace tw {

class WeDoc;

// Menu command ids of the generators.
enum GeneratorCommand {
    kCmdSine = 32790,
    kCmdTriangle = 32791,
    kCmdSquare = 32792,
    kCmdSinc = 32793,
    kCmdGaussian = 32794,
    kCmdExponent = 32795,
    kCmdPulse = 32796,
    kCmdNoise = 32797,
    kCmdCardiacEcg = 32857,
    kCmdDcWave = 32858,
    kCmdPulseWidthModulation = 32860,
};

// Runs a generator's dialog modally over the document and removes its backup afterwards.
// False when `id` is not a generator command (or one the composer does not offer).
bool RunGeneratorCommand(WeDoc& doc, int id, QWidget* parent, DocGeneratorTarget::Hooks hooks = {});

} // namespace tw
