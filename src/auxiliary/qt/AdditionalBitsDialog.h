#pragma once
#include "app/LaunchState.h"

#include <string>

class QWidget;

namespace tw {

// "Additional Bits Editor": the rise/fall lists and invert flags of the two marker bits of the
// active segment. Ok stores them; Cancel leaves the exchange file alone. Returns true on Ok.
bool ShowAdditionalBitsDialog(QWidget* parent, const LaunchState& session,
                              const std::string& segTableSection, int activeSegment);

} // namespace tw
