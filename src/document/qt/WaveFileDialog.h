#pragma once
#include "document/FileFilters.h"

class QWidget;

namespace tw {

// The waveform Open or Save As dialog of the session's composer: its table's filters, the
// proposed name (fileName without folder and extension), the remembered folder and filter.
// Returns the completed path and format code; an empty path when cancelled.
DialogChoice ChooseWaveFile(QWidget* parent, DialogKind kind, const std::string& fileName,
                            FileDialogMemory& memory, const LaunchState& session);

} // namespace tw
