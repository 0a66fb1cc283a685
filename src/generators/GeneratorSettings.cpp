#include "generators/GeneratorSettings.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"

#include <algorithm>
#include <cstdio>

namespace tw {

std::string WaveParSection() {
    return launch().composerId == kFmComposer ? "FmcWav_Par" : "TdWav_Par";
}

std::string WaveDefparSection() {
    return launch().composerId == kFmComposer ? "FmcWav_Defpar" : "TdWav_Defpar";
}

static std::string OrgSection() {
    return launch().composerId == kFmComposer ? "FmcOrg" : "TdOrg";
}

bool ReadDialogPosition(DialogPosition& pos) {
    auto text = profile::GetValue(launch().exchangeFile, OrgSection(), "DrawRect");
    if (!text)
        return false;
    return std::sscanf(text->c_str(), "%d %d", &pos.left, &pos.top) == 2;
}

void StoreDialogPosition(DialogPosition pos) {
    pos.left = std::clamp(pos.left, 0, 1000);
    pos.top = std::clamp(pos.top, 0, 700);
    profile::WriteValue(launch().exchangeFile, OrgSection(), "DrawRect",
                        strprintf("%d %d", pos.left, pos.top));
}

void MoveRangeOn(double& start, double& end, double wavelength) {
    if (end < wavelength - 3) {
        start = end + 1;
        end = wavelength - 1;
    }
}

std::string SettingNumber(double v) {
    return strprintf("%.15g", v);
}

} // namespace tw
