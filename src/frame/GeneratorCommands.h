#pragma once
#include "generators/DocGeneratorTarget.h"

class QWidget;

namespace tw {

class MainFrame;
class WeDoc;

// Runs a generator's dialog modally over the document and removes its backup afterwards.
// False when `id` is not a generator command (or one the composer does not offer).
bool RunGeneratorCommand(WeDoc& doc, int id, QWidget* parent, DocGeneratorTarget::Hooks hooks = {});

// Gives the frame's generator commands (the standard shapes and DC wave; in the waveform
// composer also the cardiac and the pulse width modulation generators) their handlers.
void InstallGeneratorCommands(MainFrame& frame, WeDoc& doc,
                              const DocGeneratorTarget::Hooks& hooks = {});

} // namespace tw
