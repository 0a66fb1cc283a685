#pragma once
#include "app/LaunchState.h"

#include <functional>
#include <optional>

namespace tw {

// The answer of the "Input Interpretation As..." question for column files.
struct DimensionChoice {
    int twoDimensional = 1; // the radio: 0 one-dimensional array, 1 two-dimensional array
    bool always = false;    // "Always use selected option "
    bool fullScale = false; // values are fractions of full scale: -1.0 ... +1.0, not stretched
};

// Shows the question starting from initial; nullopt when cancelled. The GUI passes the dialog,
// tests a scripted answer.
using DimensionAsker = std::function<std::optional<DimensionChoice>(const DimensionChoice&)>;

// The starting choice from the session's general settings file, section "StartUp".
DimensionChoice StoredDimensionChoice(const LaunchState& session);

// Asks (unless "Always" was ticked before, which counts as OK at once), stores the answer in
// "Is2dim", "askDimDlg" and "FullScale" and returns the document's askDim: the radio, or 0 on
// Cancel.
int AskDimension(const LaunchState& session, const DimensionAsker& asker);

} // namespace tw
