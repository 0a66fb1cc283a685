#pragma once
#include <string>
#include <vector>

namespace tw {

class Composer;

// Where the generators keep their settings and the dialogs their position is the composer's:
// Composer::waveParSection, waveDefaultsSection and dialogSection.

struct DialogPosition {
    int left = 0;
    int top = 0;
};
// The position stored in the composer's dialog section; false when absent or unreadable.
bool ReadDialogPosition(const Composer& composer, DialogPosition& pos);
// Stored clamped to 0..1000 and 0..700 so that the dialog always opens on screen.
void StoreDialogPosition(const Composer& composer, DialogPosition pos);

// After OK a generator's range moves on behind the shape it just made, unless it ended
// within the last three points.
void MoveRangeOn(double& start, double& end, double wavelength);

// A number as the settings files hold it: no trailing zeros, no exponent for whole counts.
std::string SettingNumber(double v);

// The numbers of a description-file line after its leading words ("SCLK 100e6 10 250e6" gives
// 100e6, 10 and 250e6); empty when the key is absent.
std::vector<double> DescribedNumbers(const std::string& descr, const char* section,
                                     const char* key);
// One of them, or def when the line is shorter.
double DescribedNumber(const std::string& descr, const char* section, const char* key, size_t index,
                       double def);

} // namespace tw
