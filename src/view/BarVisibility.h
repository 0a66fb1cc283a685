#pragma once
#include <string>

namespace tw {

// Which of the frame's bars are shown, kept in "ViewsTD" of the general settings file.
struct BarFlags {
    bool file = true, waveEdit = true, parameter = true, instrument = true, marker = true;
};

// An absent or empty value counts as visible; otherwise a non-zero number is visible.
bool BarFlagVisible(const std::string* stored);
BarFlags LoadBarFlags();
// The pulse-train composer leaves "visParm" as it was.
void StoreBarFlags(const BarFlags& flags, int composerId);

// Buttons of the instrument control bar: Download, Clear memory and the channel buttons.
int InstrumentButtonCount(int composerId, double channels);

} // namespace tw
